#include "ViewCore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

std::array<ViewChildRect, 15> LayoutViewChildren(const ViewLayoutInput& in)
{
    const int W = in.width, H = in.height, v = in.videoHeight;
    const int hw = in.headerWidth, aw = in.scaleWidth;
    const int y1 = v + in.overviewHeight;
    const int y2 = y1 + in.rulerHeight;
    // clang-format off
    return {{
        {kChildVideoTrack, {0, 0, W, v}},
        {kChildSplitter, {0, v, W, v}},
        {kChildOverview, {0, v, W, y1}},
        {kChildGroupButton, {0, y1, hw, y2}},
        {kChildSelectAll, {hw, y1, hw + aw, y2}},
        {kChildTimeRuler, {hw + aw, y1, W - 16, y2}},
        {kChildSizeBox, {W - 16, H - 16, W, H}},
        {kChildTimeZoom, {W - 48, H - 16, W - 16, H}},
        {kChildCaptionStrip, {0, H, W, H}},
        {kChildHorzScroll, {0, H - 16, W - 48, H}},
        {kChildAmplitudeZoom, {W - 16, H - 48, W, H - 16}},
        {kChildVertScroll, {W - 16, y1, W, H - 48}},
        {kChildTrackHeader, {0, y2, hw, H - 16}},
        {kChildAmplitudeScale, {hw, y2, hw + aw, H - 16}},
        {kChildTrackArea, {hw + aw, y2, W - 16, H - 16}},
    }};
    // clang-format on
}

double TimeAxis::SamplesToTime(int64_t samples) const
{
    return rate ? double(samples) * 10000.0 / double(rate) : 0.0;
}

int64_t TimeAxis::TimeToSamples(double time) const
{
    return int64_t(double(rate) * time * 0.0001);
}

double TimeAxis::PixelsToTime(int64_t pixels) const
{
    return rate ? SamplesPerPixel() * (double(pixels) * 10000.0 / double(rate)) : 0.0;
}

int64_t TimeAxis::TimeToPixels(double time) const
{
    double v = TimeToPixelsExact(time);
    return v >= 0 ? int64_t(v + 0.5) : int64_t(v - 0.5);
}

double TimeAxis::TimeToPixelsExact(double time) const
{
    return double(rate) * time * 0.0001 / SamplesPerPixel();
}

int64_t TimeAxis::SnapToPixel(int64_t position) const
{
    double spp = SamplesPerPixel();
    if (spp > 1.0) {
        int64_t step = int64_t(spp);
        position = position / step * step;
    }
    return position;
}

int64_t FitTimeZoom(int64_t length, int width)
{
    int64_t zoom = 64;
    if (width < 1 || length <= width)
        return zoom;
    zoom = 128;
    while (length / (zoom / 64) > width)
        zoom *= 2;
    return zoom;
}

int64_t ZoomFirstSample(const ZoomTarget& t)
{
    const int64_t F = t.first, G = t.last, span = t.newLast - t.newFirst;
    const int64_t aboutWindow = F + (G - F) / 2 - span / 2;
    int64_t n;
    if (!t.playing && t.start == t.end) {
        int64_t caret = std::min(t.start, t.length);
        n = (caret >= F && caret <= G) ? caret - span / 2 : aboutWindow;
    } else {
        const int64_t s = t.start, e = t.end;
        if (e < F || s > G)
            n = aboutWindow;
        else if ((F <= s && e <= G) || (s <= F && G <= e))
            n = s - (span - (e - s)) / 2;
        else if (s < F)
            n = e - span / 2;
        else
            n = s - span / 2;
    }
    if (t.zoomOut)
        n = std::min(n, t.length - span / 2);
    return n;
}

HorzScrollRange ComputeHorzScrollRange(int64_t docPixels, int w)
{
    HorzScrollRange r;
    if (docPixels + 1 - w > 0) {
        r.maximum = docPixels + 1 + w / 2;
        r.page = UINT(w);
    }
    return r;
}

int64_t HorzLineStep(const TimeAxis& axis, int64_t page)
{
    double time = axis.PixelsToTime(page);
    for (int d = 8; d > 0; --d) {
        int64_t line = axis.TimeToPixels(time / d);
        if (axis.SamplesToPixelsViaTime(axis.PixelsToSamplesViaTime(line)) != 0)
            return line;
    }
    return 0;
}

int64_t ScrollSampleDistance(const TimeAxis& axis, int64_t firstVisible, int64_t oldPos, int64_t newPos)
{
    if (newPos == 0 && oldPos > 0)
        return firstVisible;
    int64_t d = axis.PixelsToSamplesViaTime(oldPos - newPos);
    double spp = axis.SamplesPerPixel();
    if (spp >= 1.0) {
        // The trip through time may fall a hair short of a whole pixel either way: round.
        int64_t k = int64_t(spp);
        int64_t magnitude = (std::llabs(d) + k / 2) / k * k;
        d = d < 0 ? -magnitude : magnitude;
    } else {
        d = int64_t(double(d) / spp * spp);
    }
    return d;
}

int64_t EnsureVisibleTarget(int64_t p, int64_t first, int64_t last, int64_t half, bool canScroll)
{
    p = std::max<int64_t>(p, 0);
    if (!canScroll)
        return -1;
    if (p > first + half)
        return std::max<int64_t>(p - half, 0);
    if (p < first || p > last) {
        int64_t t = p - half;
        return t < half ? 0 : t;
    }
    return -1;
}

namespace {
int Walk(const std::vector<int>& heights, int from, int step, int* height)
{
    int k = 0;
    for (int r = from; r >= 0 && r < int(heights.size()) && heights[r] <= *height; r += step) {
        *height -= heights[r];
        ++k;
    }
    return k;
}
} // namespace

int CountFittingRows(const std::vector<int>& rowHeights, int from, int height)
{
    int k = Walk(rowHeights, from, 1, &height);
    if (height > 0)
        k += Walk(rowHeights, from - 1, -1, &height);
    return k;
}

void CountRowsAround(const std::vector<int>& rowHeights, int from, int height, int* down, int* up)
{
    int h = height;
    *down = std::max(1, Walk(rowHeights, from, 1, &h));
    h = height;
    *up = std::max(1, Walk(rowHeights, from - 1, -1, &h));
}

int64_t NearestStopBelow(std::vector<int64_t> stops, int64_t caret)
{
    if (stops.empty())
        return caret;
    std::sort(stops.begin(), stops.end(), std::greater<int64_t>());
    for (int64_t s : stops)
        if (s < caret)
            return s;
    return stops.front();
}

int64_t NearestStopAbove(std::vector<int64_t> stops, int64_t caret)
{
    if (stops.empty())
        return caret;
    std::sort(stops.begin(), stops.end());
    for (int64_t s : stops)
        if (s > caret)
            return s;
    return stops.front();
}

namespace {
struct Rows {
    const std::vector<int>& channels;
    int Count() const
    {
        int n = 0;
        for (int c : channels)
            n += c;
        return n;
    }
    int First(int track) const
    {
        int row = 0;
        for (int t = 0; t < track && t < int(channels.size()); ++t)
            row += channels[t];
        return row;
    }
    int Last(int track) const { return First(track) + channels[track] - 1; }
    int Track(int row) const
    {
        for (int t = 0; t < int(channels.size()); ++t) {
            row -= channels[t];
            if (row < 0)
                return t;
        }
        return int(channels.size());
    }
};
} // namespace

RowRange MoveRows(const std::vector<int>& channels, RowRange rows, int pivot, bool down, bool shift)
{
    Rows map{channels};
    const int last = map.Count() - 1;
    if (last < 0)
        return rows;
    if (!shift) {
        rows.current = std::clamp(rows.current + (down ? 1 : -1), 0, last);
        rows.anchor = rows.current;
        return rows;
    }
    const int tracks = int(channels.size());
    const int tp = map.Track(pivot), tc = map.Track(rows.current);
    if (!down) {
        if (tp < tc) {
            rows.current = map.Last(tc - 1);
            if (tc - 1 != tp)
                rows.anchor = map.First(tp);
        } else if (tp == tc || tc < 1) {
            int next = std::max(rows.current - 1, 0);
            int t = map.Track(next);
            if (t != tc) {
                rows.anchor = map.Last(tp);
                rows.current = map.First(t);
            } else {
                rows.current = next;
            }
        } else {
            rows.current = map.First(tc - 1);
            if (tc - 1 != tp)
                rows.anchor = map.Last(tp);
        }
        return rows;
    }
    if (tp > tc && tc < tracks - 1) {
        rows.current = map.First(tc + 1);
        if (tc + 1 != tp)
            rows.anchor = map.Last(tp);
    } else if (tp < tc) {
        // On the last track there is no track to grow into.
        if (tc + 1 < tracks) {
            rows.current = map.Last(tc + 1);
            if (tc + 1 != tp)
                rows.anchor = map.First(tp);
        }
    } else {
        int next = std::min(rows.current + 1, last);
        int t = map.Track(next);
        if (t != tc) {
            rows.anchor = map.First(tp);
            rows.current = map.Last(t);
        } else {
            rows.current = next;
        }
    }
    return rows;
}

OverviewBoxes ComputeOverviewBoxes(const RECT& client, int64_t length, int64_t first, int64_t last, int64_t start,
                                   int64_t end, int64_t playPosition)
{
    OverviewBoxes b;
    if (length <= 0)
        return b;
    RECT inner{client.left + 1, client.top + 5, client.right - 2, client.bottom - 2};
    double scale = double(inner.right - inner.left) / double(length + last - first);
    auto x = [&](int64_t s) { return inner.left + int(double(s) * scale); };
    b.document = inner;
    b.document.right = x(length);
    b.window = RECT{x(first), inner.top + 2, x(last), inner.bottom - 2};
    if (start == end && playPosition != -1)
        start = end = playPosition;
    b.selection = RECT{x(start), inner.top + 1, x(end), inner.bottom - 1};
    if (start == end)
        b.selection.right = b.selection.left + 1;
    b.valid = true;
    return b;
}

std::string FormatZoomText(double samplesPerPixel)
{
    char text[32];
    if (samplesPerPixel >= 1.0)
        std::snprintf(text, sizeof text, " x%d", int(samplesPerPixel));
    else
        std::snprintf(text, sizeof text, " x%.2f", samplesPerPixel);
    return text;
}

std::string FormatFormatText(DWORD rate, int bits)
{
    char text[48];
    if (rate / 1000 != 0)
        std::snprintf(text, sizeof text, " %d,%03dHz %dBit", int(rate / 1000), int(rate % 1000), bits);
    else
        std::snprintf(text, sizeof text, " %dHz %dBit", int(rate), bits);
    return text;
}

std::string FormatLengthText(double seconds)
{
    // Milliseconds first, so that 59.9996 s carries into the next minute.
    long long ms = seconds > 0 ? std::llround(seconds * 1000.0) : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                  ms % 1000);
    return text;
}

int64_t VideoFrameStep(int64_t caret, DWORD rate, double fps, int k, bool forward)
{
    if (k == 0 || fps == 0.0 || rate == 0)
        return -1;
    auto position = [&](int64_t frame) {
        double exact = double(frame) * double(rate) / fps;
        int64_t p = int64_t(exact);
        return double(p) == exact ? p : p + 1;
    };
    int64_t base = int64_t(double(caret) * fps / double(rate) / k);
    if (forward)
        return position((base + 1) * k);
    int64_t frame = base * k;
    int64_t p = position(frame);
    if (p == caret)
        p = position(frame - k);
    return std::max<int64_t>(p, 0);
}
