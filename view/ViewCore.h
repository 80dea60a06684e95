// The multitrack view's arithmetic without windows: where its fifteen children go, the time
// axis (zoom, conversions between samples, pixels and time in 1/10000 s), fit and zoom
// targets, the horizontal scroll range and step, which stop or row a key moves to, the boxes
// of the overview bar and the status-bar texts. The view (CNyMultiTrackView) feeds these from
// its document and its windows; the tests drive them directly.
//
//   TimeAxis axis{64, 44100};           // one sample per pixel
//   axis.SampleToPixel(1000);           // 1000.0
//   FitTimeZoom(length, waveWidth);     // 64, or the smallest power of two >= 128 that fits
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Control ids of the view's children.
enum ViewChildId : int {
    kChildTrackArea = 101,
    kChildVideoTrack = 102,
    kChildTrackHeader = 103,
    kChildTimeRuler = 104,
    kChildAmplitudeScale = 105,
    kChildSplitter = 106,
    kChildOverview = 107,
    kChildAmplitudeZoom = 108,
    kChildTimeZoom = 109,
    kChildVertScroll = 110,
    kChildHorzScroll = 111,
    kChildCaptionStrip = 112,
    kChildGroupButton = 113,
    kChildSelectAll = 114,
    kChildSizeBox = 115,
};

// Sizes the layout depends on; all in pixels of the view's client area.
struct ViewLayoutInput {
    int width = 0;
    int height = 0;
    int videoHeight = 0;    // 50 when the Video Track option reads on
    int overviewHeight = 0; // height of the overview bar's skin image
    int rulerHeight = 0;    // 0 with the Time Ruler off
    int headerWidth = 0;    // 0 with the header column off
    int scaleWidth = 0;     // width of the amplitude scale's skin image
};

struct ViewChildRect {
    int id;
    RECT rect;
};

// The fifteen children in the order they are placed. Widths and heights may come out
// negative in a very small window; they are placed as computed.
std::array<ViewChildRect, 15> LayoutViewChildren(const ViewLayoutInput& in);

// The time axis of the view: zoom is samples per pixel x 64 (64: one sample per pixel).
// Every time value is in 1/10000 s. Without a sample rate the time conversions give 0.
struct TimeAxis {
    int64_t zoom = 64;
    DWORD rate = 0;

    double SamplesPerPixel(int raw = 0) const { return raw ? double(zoom) : double(zoom) * 0.015625; }
    double SampleToPixel(int64_t samples) const { return double(samples) / SamplesPerPixel(); }
    int64_t PixelToSample(double pixels) const { return int64_t(SamplesPerPixel() * pixels); }
    double SamplesToTime(int64_t samples) const;
    int64_t TimeToSamples(double time) const;
    double PixelsToTime(int64_t pixels) const;
    // Rounded half away from zero.
    int64_t TimeToPixels(double time) const;
    double TimeToPixelsExact(double time) const;
    int64_t PixelsToSamplesViaTime(int64_t pixels) const { return TimeToSamples(PixelsToTime(pixels)); }
    int64_t SamplesToPixelsViaTime(int64_t samples) const { return TimeToPixels(SamplesToTime(samples)); }
    // Snapped down to a whole pixel when a pixel holds more than one sample.
    int64_t SnapToPixel(int64_t position) const;
};

// The zoom at which a document of length samples fits width pixels: 64 when it fits at one
// sample per pixel, else the smallest power of two from 128 up. 64 for a width below 1.
int64_t FitTimeZoom(int64_t length, int width);

// What Zoom In and Zoom Out centre on.
struct ZoomTarget {
    int64_t length = 0;                // L, the document length
    int64_t start = 0, end = 0;        // ordered selection, or the play position twice
    bool playing = false;              // a play position is set
    int64_t first = 0, last = 0;       // visible range before the zoom
    int64_t newFirst = 0, newLast = 0; // visible range at the new zoom from the same first sample
    bool zoomOut = false;
};
// The new first visible sample (not yet snapped nor limited at 0).
int64_t ZoomFirstSample(const ZoomTarget& t);

// The horizontal scroll bar's range for a document of docPixels (SamplesToPixelsViaTime of the
// length) in a waveform area w pixels wide: the end may reach the middle of the window.
struct HorzScrollRange {
    int64_t minimum = 0;
    int64_t maximum = 0;
    UINT page = 0;
};
HorzScrollRange ComputeHorzScrollRange(int64_t docPixels, int w);

// One line of the horizontal scroll bar in pixels for a page of page pixels: an eighth of the
// page's time, and less while that is not a whole pixel; 0 when no step can be made.
int64_t HorzLineStep(const TimeAxis& axis, int64_t page);

// The sample distance a scroll from oldPos to newPos pixels moves the axis (positive moves
// the content right, toward earlier samples), whole pixels with its sign. Back to position 0
// it is the first visible sample itself, so that sample 0 lands exactly on the left edge.
int64_t ScrollSampleDistance(const TimeAxis& axis, int64_t firstVisible, int64_t oldPos, int64_t newPos);

// The first visible sample that brings p into a window of (first, last) with half a window
// of half samples, or -1 when nothing moves. canScroll: the scroll bar is not at its end.
int64_t EnsureVisibleTarget(int64_t p, int64_t first, int64_t last, int64_t half, bool canScroll);

// Rows that fit whole into height pixels, walking down from row `from` and then up from
// from - 1 while height remains (rowHeights[i] is row i's height).
int CountFittingRows(const std::vector<int>& rowHeights, int from, int height);
// The same split in the two directions: rows at and below `from`, and above it.
void CountRowsAround(const std::vector<int>& rowHeights, int from, int height, int* down, int* up);

// Stops of the Home/End and Ctrl moves: the nearest strictly below (start stops) or above
// (end stops) the caret; without one the largest resp. smallest stop.
int64_t NearestStopBelow(std::vector<int64_t> stops, int64_t caret);
int64_t NearestStopAbove(std::vector<int64_t> stops, int64_t caret);

// Up/Down on the rows. channels: channel count per track. With shift the rows grow or shrink
// by whole tracks around the pivot row; without it both rows move by one.
struct RowRange {
    int anchor = 0;
    int current = 0;
};
RowRange MoveRows(const std::vector<int>& channels, RowRange rows, int pivot, bool down, bool shift);

// The three boxes of the overview bar inside its client rectangle; empty boxes when there is
// no document length.
struct OverviewBoxes {
    RECT document{};
    RECT window{};
    RECT selection{};
    bool valid = false;
};
// start/end: ordered selection; playPosition used instead when the selection is empty and it
// is 0 or more.
OverviewBoxes ComputeOverviewBoxes(const RECT& client, int64_t length, int64_t first, int64_t last, int64_t start,
                                   int64_t end, int64_t playPosition);

// Status-bar texts: " x4", " x0.50"; " 44,100Hz 16Bit", " 800Hz 8Bit".
std::string FormatZoomText(double samplesPerPixel);
std::string FormatFormatText(DWORD rate, int bits);
// "hh:mm:ss.mmm" of a length in seconds, rounded to the millisecond first.
std::string FormatLengthText(double seconds);

// Frame steps of A and S over a video of fps frames per second with step k frames.
// Returns the new caret, or -1 when nothing moves.
int64_t VideoFrameStep(int64_t caret, DWORD rate, double fps, int k, bool forward);
