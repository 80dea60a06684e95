// The view's window-free arithmetic: layout, time axis, fit, zoom and scroll steps, key
// targets, overview boxes and status texts.
#include "SampleSearch.h"
#include "ViewCore.h"

#include <gtest/gtest.h>

#include <map>

namespace {
bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::map<int, RECT> Layout(const ViewLayoutInput& in)
{
    std::map<int, RECT> out;
    for (const ViewChildRect& child : LayoutViewChildren(in))
        out[child.id] = child.rect;
    return out;
}

::testing::AssertionResult Is(const RECT& r, int l, int t, int rr, int b)
{
    if (Same(r, RECT{l, t, rr, b}))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom
                                         << ") is not (" << l << "," << t << "," << rr << "," << b << ")";
}
} // namespace

TEST(ViewLayout, PlacesEveryChildByTheTableWhateverTheOptions)
{
    ViewLayoutInput full{600, 400, 0, 12, 20, 100, 30};
    auto r = Layout(full);
    ASSERT_EQ(r.size(), 15u);
    EXPECT_TRUE(Is(r[kChildOverview], 0, 0, 600, 12));
    EXPECT_TRUE(Is(r[kChildGroupButton], 0, 12, 100, 32));
    EXPECT_TRUE(Is(r[kChildSelectAll], 100, 12, 130, 32));
    EXPECT_TRUE(Is(r[kChildTimeRuler], 130, 12, 584, 32));
    EXPECT_TRUE(Is(r[kChildTrackArea], 130, 32, 584, 384));
    EXPECT_TRUE(Is(r[kChildVertScroll], 584, 12, 600, 352));
    EXPECT_TRUE(Is(r[kChildHorzScroll], 0, 384, 552, 400));
    EXPECT_TRUE(Is(r[kChildTimeZoom], 552, 384, 584, 400));
    EXPECT_TRUE(Is(r[kChildAmplitudeZoom], 584, 352, 600, 384));
    EXPECT_TRUE(Is(r[kChildSizeBox], 584, 384, 600, 400));
    EXPECT_TRUE(Is(r[kChildCaptionStrip], 0, 400, 600, 400));
    EXPECT_TRUE(Is(r[kChildSplitter], 0, 0, 600, 0));

    // Time Ruler off: the ruler row has no height, the band starts under the overview bar,
    // the vertical scroll bar still starts there.
    ViewLayoutInput noRuler = full;
    noRuler.rulerHeight = 0;
    auto n = Layout(noRuler);
    EXPECT_TRUE(Is(n[kChildTimeRuler], 130, 12, 584, 12));
    EXPECT_TRUE(Is(n[kChildGroupButton], 0, 12, 100, 12));
    EXPECT_TRUE(Is(n[kChildTrackArea], 130, 12, 584, 384));
    EXPECT_TRUE(Is(n[kChildVertScroll], 584, 12, 600, 352));

    // Header column off: no width, the scale starts at the left edge.
    ViewLayoutInput noHeader = full;
    noHeader.headerWidth = 0;
    auto h = Layout(noHeader);
    EXPECT_TRUE(Is(h[kChildTrackHeader], 0, 32, 0, 384));
    EXPECT_TRUE(Is(h[kChildAmplitudeScale], 0, 32, 30, 384));
    EXPECT_TRUE(Is(h[kChildTrackArea], 30, 32, 584, 384));

    // A video track pushes everything down by 50.
    ViewLayoutInput video = full;
    video.videoHeight = 50;
    auto v = Layout(video);
    EXPECT_TRUE(Is(v[kChildVideoTrack], 0, 0, 600, 50));
    EXPECT_TRUE(Is(v[kChildTrackArea], 130, 82, 584, 384));

    // A 40-pixel window: negative widths are placed as computed.
    ViewLayoutInput tiny{40, 40, 0, 12, 20, 100, 30};
    auto t = Layout(tiny);
    EXPECT_TRUE(Is(t[kChildHorzScroll], 0, 24, -8, 40));
    EXPECT_TRUE(Is(t[kChildTrackArea], 130, 32, 24, 24));
    EXPECT_TRUE(Is(t[kChildVertScroll], 24, 12, 40, -8));
}

TEST(TimeAxis, ConvertsAsTheTableOfValuesSays)
{
    TimeAxis one{64, 44100};
    EXPECT_DOUBLE_EQ(one.SampleToPixel(1000), 1000.0);
    EXPECT_EQ(one.PixelToSample(10.9), 10);
    EXPECT_EQ(one.SnapToPixel(1003), 1003);
    EXPECT_EQ(one.TimeToPixels(0.5), 2);
    EXPECT_EQ(one.TimeToPixels(-0.5), -2);
    EXPECT_DOUBLE_EQ(one.SamplesToTime(44100), 10000.0);

    TimeAxis four{256, 44100};
    EXPECT_EQ(four.SnapToPixel(1003), 1000);
    EXPECT_EQ(four.SnapToPixel(7), 4);
    EXPECT_EQ(four.SnapToPixel(-3), 0) << "never negative once the view stores it at 0";

    TimeAxis magnified{16, 44100};
    EXPECT_EQ(magnified.SnapToPixel(7), 7);
    EXPECT_DOUBLE_EQ(magnified.SampleToPixel(1), 4.0);
}

TEST(TimeAxis, GivesZeroTimesWithoutASampleRate)
{
    TimeAxis none{64, 0};
    EXPECT_EQ(none.SamplesToTime(44100), 0.0);
    EXPECT_EQ(none.PixelsToTime(100), 0.0);
    EXPECT_EQ(none.PixelsToSamplesViaTime(100), 0);
    EXPECT_EQ(none.SamplesToPixelsViaTime(100), 0);
}

TEST(FitTimeZoom, FitsAtOneSamplePerPixelOrTheSmallestPowerOfTwoAbove)
{
    struct Case {
        int64_t length;
        int width;
        int64_t zoom;
    } cases[] = {{500, 500, 64}, {501, 500, 128}, {1000, 500, 128}, {1002, 500, 256}, {0, 500, 64}, {10, 0, 64}};
    for (const Case& c : cases)
        EXPECT_EQ(FitTimeZoom(c.length, c.width), c.zoom) << c.length << " in " << c.width;
}

TEST(ScrollSampleDistance, OnePixelRightThenLeftRestoresTheFirstSample)
{
    for (DWORD rate : {44100u, 48000u, 22050u, 96000u}) {
        for (int64_t zoom : {64, 128, 256, 1024, 4096}) {
            TimeAxis axis{zoom, rate};
            const int64_t samplesPerPixel = zoom / 64;
            for (int64_t first :
                 {int64_t(0), int64_t(4096) * samplesPerPixel, int64_t(123457) / samplesPerPixel * samplesPerPixel}) {
                int64_t pos = axis.SamplesToPixelsViaTime(first);
                int64_t right = axis.SnapToPixel(first - ScrollSampleDistance(axis, first, pos, pos + 1));
                EXPECT_GT(right, first) << "a step right was lost at zoom " << zoom << ", " << rate << " Hz";
                int64_t rightPos = axis.SamplesToPixelsViaTime(right);
                int64_t back = axis.SnapToPixel(right - ScrollSampleDistance(axis, right, rightPos, rightPos - 1));
                EXPECT_EQ(back, first) << "zoom " << zoom << ", " << rate << " Hz, from " << first;
            }
        }
    }
}

TEST(ScrollSampleDistance, BackToPositionZeroIsExactlySampleZero)
{
    TimeAxis axis{1024, 44100};
    EXPECT_EQ(ScrollSampleDistance(axis, 123451, 7716, 0), 123451);
}

TEST(ZoomFirstSample, CentresTheCaretOrTheRangeOrKeepsTheWindowCentre)
{
    // Window 1000..2000 becomes 500 wide at zoom in.
    ZoomTarget t;
    t.length = 100000;
    t.first = 1000, t.last = 2000, t.newFirst = 1000, t.newLast = 1500;
    t.start = t.end = 1800;
    EXPECT_EQ(ZoomFirstSample(t), 1550) << "caret inside comes to the middle";
    t.start = t.end = 5000;
    EXPECT_EQ(ZoomFirstSample(t), 1250) << "caret outside: the window's centre stays";
    t.start = 1200, t.end = 1400;
    EXPECT_EQ(ZoomFirstSample(t), 1050) << "range inside is centred";
    t.start = t.end = 1900;
    t.playing = true;
    EXPECT_EQ(ZoomFirstSample(t), 1650) << "the play position is centred";

    ZoomTarget out;
    out.zoomOut = true;
    out.length = 2500;
    out.first = 1000, out.last = 2000, out.newFirst = 1000, out.newLast = 3000;
    out.start = out.end = 1500;
    EXPECT_EQ(ZoomFirstSample(out), 500) << "the end never goes left of the middle";
}

TEST(HorzScrollRange, EndsWithTheDocumentEndAtTheWindowMiddle)
{
    HorzScrollRange wide = ComputeHorzScrollRange(1000, 400);
    EXPECT_EQ(wide.maximum, 1000 + 1 + 200);
    EXPECT_EQ(wide.page, 400u);
    HorzScrollRange fits = ComputeHorzScrollRange(399, 400);
    EXPECT_EQ(fits.maximum, 0);
    EXPECT_EQ(fits.page, 0u);
}

TEST(KeyTargets, StopsAndRows)
{
    // Home at 0 with no selected track: the largest start stop, 0.
    EXPECT_EQ(NearestStopBelow({0}, 0), 0);
    EXPECT_EQ(NearestStopBelow({0, 500, 200}, 400), 200);
    // Ctrl+Right past every stop wraps to the smallest end stop.
    EXPECT_EQ(NearestStopAbove({1000, 800, 1000}, 1200), 800);
    EXPECT_EQ(NearestStopAbove({1000, 800}, 900), 1000);

    const std::vector<int> tracks{2, 1, 2}; // rows 0-1, 2, 3-4
    struct Case {
        RowRange rows;
        int pivot;
        bool down, shift;
        RowRange expected;
        const char* what;
    } cases[] = {
        {{4, 4}, 4, true, true, {4, 4}, "Shift+Down on the last row of the last track keeps the rows"},
        {{2, 4}, 2, true, true, {2, 4}, "grown to the last track: Shift+Down keeps the rows"},
        {{4, 4}, 4, true, false, {4, 4}, "Down on the last row stays"},
        {{0, 0}, 0, true, false, {1, 1}, "Down moves both rows"},
        {{2, 2}, 2, true, true, {2, 4}, "Shift+Down crosses into the next track whole"},
        {{2, 2}, 2, false, true, {2, 0}, "Shift+Up crosses into the previous track whole"},
        {{1, 1}, 1, false, false, {0, 0}, "Up moves both rows"},
    };
    for (const Case& c : cases) {
        RowRange got = MoveRows(tracks, c.rows, c.pivot, c.down, c.shift);
        EXPECT_EQ(got.anchor, c.expected.anchor) << c.what;
        EXPECT_EQ(got.current, c.expected.current) << c.what;
    }
}

TEST(OverviewBoxes, WindowAndDocumentShareTheLeftEdgeAtTheStart)
{
    RECT client{0, 0, 203, 20}; // inner width 200
    OverviewBoxes start = ComputeOverviewBoxes(client, 1000, 0, 1000, 0, 0, -1);
    ASSERT_TRUE(start.valid);
    EXPECT_EQ(start.document.left, start.window.left);
    EXPECT_EQ(start.document.right, 1 + 100);
    EXPECT_EQ(start.selection.right - start.selection.left, 1) << "a caret is a 1-pixel line";
    // Document end at the window's middle: the window box ends half a window beyond it.
    OverviewBoxes end = ComputeOverviewBoxes(client, 1000, 500, 1500, 0, 0, 700);
    EXPECT_EQ(end.window.right - end.document.right, 50);
    EXPECT_EQ(end.selection.left, 1 + 70) << "while playing the line follows the play position";
    EXPECT_FALSE(ComputeOverviewBoxes(client, 0, 0, 1000, 0, 0, -1).valid);
}

TEST(StatusTexts, ZoomFormatAndLength)
{
    EXPECT_EQ(FormatZoomText(4.0), " x4");
    EXPECT_EQ(FormatZoomText(0.5), " x0.50");
    EXPECT_EQ(FormatZoomText(2.0), " x2");
    EXPECT_EQ(FormatFormatText(44100, 16), " 44,100Hz 16Bit");
    EXPECT_EQ(FormatFormatText(800, 8), " 800Hz 8Bit");
    EXPECT_EQ(FormatLengthText(3723.5), "01:02:03.500");
    EXPECT_EQ(FormatLengthText(59.9996), "00:01:00.000");
    EXPECT_EQ(FormatLengthText(0.0), "00:00:00.000");
}

TEST(ScanMaximum, FirstOfEqualMagnitudesWinsAcrossChunksChannelsAndSizes)
{
    for (int stride : {1, 2, 3}) {
        for (int channel = 0; channel < stride; ++channel) {
            std::vector<float> frames(size_t(5000) * stride, 0.0f);
            auto at = [&](size_t i) -> float& { return frames[i * stride + channel]; };
            at(10) = 0.25f;
            at(1500) = -0.5f; // first of the loudest
            at(3000) = 0.5f;
            at(4999) = 0.5f;
            if (stride > 1)
                frames[(channel + 1) % stride] = 0.9f; // louder, on another channel
            double best = 0;
            EXPECT_EQ(ScanMaximum(&at(0), 32, 5000, stride, &best), 1500) << stride << "/" << channel;
            EXPECT_EQ(best, 0.5);
            EXPECT_EQ(ScanMaximum(&at(0), 32, 5000, stride, &best), -1) << "nothing beats the best so far";
        }
    }
    std::vector<int16_t> pcm{0, -300, 300, 299};
    double best = 0;
    EXPECT_EQ(ScanMaximum(pcm.data(), 16, 4, 1, &best), 1);
}
