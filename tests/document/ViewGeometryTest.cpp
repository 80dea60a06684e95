// The view's rows, rectangles and time axis, on a document of a mono and a stereo track.
#include "DocumentFixture.h"

#include <functional>

TEST_F(DocumentTest, RowsOfTracksAndChannels)
{
    NewDocument({1, 2});
    struct Case {
        int track, channel, row;
    };
    const Case cases[] = {{0, 0, 0}, {1, 0, 1}, {1, 1, 2}, {1, -1, 2}, {1, 2, -1}, {0, 1, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(c.row, view_->GetRowOfChannel(c.track, c.channel)) << c.track << ", " << c.channel;
    EXPECT_EQ(3, view_->GetRowCount());
    EXPECT_EQ(2, view_->GetTrackRow(1, 1));
    const int trackOfRow[] = {0, 1, 1, 2};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(trackOfRow[row], view_->TrackFromRow(row, 0)) << row;
}

TEST_F(DocumentTest, RectanglesFollowZoomMarkersAndTheFoldedState)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 2});
    struct Case {
        const char* what;
        std::function<void()> setup;
        int channelHeight;
        int track1Top;
        int wave1Top;
    };
    const Case cases[] = {
        {"amplitude zoom 4", [] {}, 133, 143, 151},
        {"markers shown", [doc] { doc->SetViewOption(kCmdViewMarkers, 1); }, 133, 163, 191},
        {"amplitude zoom 1",
         [this, doc] {
             doc->SetViewOption(kCmdViewMarkers, 0);
             view_->SetAmplitudeZoom(1);
         },
         37, 47, 55},
        {"track 1 folded (flag 32) at zoom 4",
         [this, doc] {
             view_->SetAmplitudeZoom(4);
             doc->SetTrackFlag(1, kMtFlagFurther, TRUE);
         },
         37, 143, 151},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.setup();
        RECT track = view_->GetTrackRect(1);
        RECT wave = view_->GetTrackWaveRect(1);
        RECT second = view_->GetChannelRect(1, 1);
        EXPECT_EQ(c.channelHeight, view_->GetChannelHeight(1));
        EXPECT_EQ(c.track1Top, track.top);
        EXPECT_EQ(c.wave1Top, wave.top);
        EXPECT_EQ(wave.top + 2 * (c.channelHeight + 1) - 1, wave.bottom);
        EXPECT_EQ(wave.top + c.channelHeight + 1, second.top);
        EXPECT_EQ(second.top + c.channelHeight, second.bottom);
        EXPECT_EQ(0, track.left);
        EXPECT_EQ(500 - 16 - 1, track.right);
        EXPECT_EQ(399, wave.right) << "clipped to the track area";
    }
}

TEST_F(DocumentTest, SamplesAndPixelsAtTheTimeZoom)
{
    NewDocument({1});
    struct Case {
        int64_t zoom;
        int64_t sample;
        double pixel;
        double pixelIn;
        int64_t sampleOut;
        int64_t firstIn, firstStored;
    };
    const Case cases[] = {
        {64, 1000, 1000.0, 10.9, 10, 1003, 1003}, // one sample per pixel: no snapping
        {256, 1000, 250.0, 10.0, 40, 1003, 1000}, // four samples per pixel
        {256, 8, 2.0, 0.5, 2, -3, 0},
        {16, 7, 28.0, 4.0, 1, 7, 7}, // four pixels per sample
    };
    for (const Case& c : cases) {
        view_->SetTimeZoom(c.zoom);
        EXPECT_DOUBLE_EQ(c.pixel, view_->SampleToPixel(c.sample)) << c.zoom;
        EXPECT_EQ(c.sampleOut, view_->PixelToSample(c.pixelIn)) << c.zoom;
        EXPECT_EQ(c.firstStored, view_->SetFirstVisibleSample(c.firstIn)) << c.zoom;
    }
    view_->SetTimeZoom(64);
    view_->SetFirstVisibleSample(100);
    EXPECT_EQ(-1, view_->XToSample(-1));
    EXPECT_EQ(110, view_->XToSample(10));
    EXPECT_EQ(100 + 399, view_->XToSample(5000)) << "right of the area: the sample at its right edge";
}
