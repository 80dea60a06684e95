#include "MultiTrackDoc.h"
#include "MultiTrackView.h"

#include <algorithm>

namespace {
constexpr int kScrollBarWidth = 16;
}

IMPLEMENT_DYNCREATE(CNyMultiTrackView, CView)

CNyMultiTrackView::CNyMultiTrackView() = default;

CNyMultiTrackView::~CNyMultiTrackView() = default;

CNyMultiTrackDoc* CNyMultiTrackView::GetMultiTrackDoc() const
{
    return dynamic_cast<CNyMultiTrackDoc*>(GetDocument());
}

void CNyMultiTrackView::SetPaneSizes(int viewWidth, int trackAreaWidth, int trackAreaHeight)
{
    m_viewWidth = viewWidth;
    m_trackArea = RECT{0, 0, trackAreaWidth, trackAreaHeight};
}

int CNyMultiTrackView::GetChannelHeight(int track)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    int zoom = doc && doc->GetTrackFlag(track, kMtFlagFurther) ? 1 : m_amplitudeZoom;
    return 32 * zoom + 5;
}

int CNyMultiTrackView::GetMarkerAreaHeight()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    return doc && doc->GetViewOption(kCmdViewMarkers) ? 20 : 0;
}

int CNyMultiTrackView::GetRowCount()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc)
        return 0;
    int rows = 0;
    for (int t = 0, n = doc->GetTrackCount(); t < n; ++t)
        rows += doc->GetTrackChannels(t);
    return rows;
}

int CNyMultiTrackView::GetTrackRow(int track, int last)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc)
        return 0;
    int row = 0;
    for (int t = 0; t < track; ++t)
        row += doc->GetTrackChannels(t);
    return last ? row + doc->GetTrackChannels(track) - 1 : row;
}

int CNyMultiTrackView::GetRowOfChannel(int track, int channel)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    int channels = doc ? doc->GetTrackChannels(track) : 0;
    if (channel < 0)
        channel = channels - 1;
    if (channel < 0 || channel >= channels)
        return -1;
    return GetTrackRow(track, 0) + channel;
}

int CNyMultiTrackView::TrackFromRow(int row, int extend)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    int count = doc ? doc->GetTrackCount() : 0;
    int rest = row;
    for (int t = 0; t < count; ++t) {
        rest -= doc->GetTrackChannels(t);
        if (rest < 0)
            return t;
    }
    if (extend) {
        int beyond = row - GetRowCount() - 1;
        if (beyond > 0)
            return count + beyond;
    }
    return count;
}

int CNyMultiTrackView::GetRowHeight(int row)
{
    int track = TrackFromRow(row, 0);
    int c = GetChannelHeight(track);
    if (row == GetTrackRow(track, 0))
        return GetTrackTitleHeight() + c + 1 + GetMarkerAreaHeight() + 1;
    return c + 1;
}

int CNyMultiTrackView::RowTop(int row)
{
    int y = m_trackArea.top;
    for (int r = m_firstVisibleRow; r < row; ++r)
        y += GetRowHeight(r);
    for (int r = row; r < m_firstVisibleRow; ++r)
        y -= GetRowHeight(r);
    return y;
}

RECT CNyMultiTrackView::GetTrackRect(int track)
{
    RECT r{0, 0, 0, 0};
    if (m_viewWidth <= 0 || IsRectEmpty(&m_trackArea))
        return r;
    r.left = m_trackArea.left;
    r.right = m_viewWidth - kScrollBarWidth - 1;
    if (track == -1) {
        r.top = m_trackArea.top;
        r.bottom = m_trackArea.bottom;
        return r;
    }
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    int first = GetTrackRow(track, 0);
    int channels = doc ? doc->GetTrackChannels(track) : 1;
    r.top = RowTop(first);
    r.bottom = r.top;
    for (int row = first; row < first + channels; ++row)
        r.bottom += GetRowHeight(row);
    return r;
}

RECT CNyMultiTrackView::GetVisibleTrackRect(int track)
{
    RECT r = GetTrackRect(track);
    r.left = std::max(r.left, m_trackArea.left);
    r.right = std::min(r.right, m_trackArea.right - 1);
    return r;
}

RECT CNyMultiTrackView::GetTracksRect()
{
    RECT r = m_trackArea;
    r.right -= 1;
    int rows = GetRowCount();
    int end = RowTop(rows);
    if (end < r.bottom)
        r.bottom = std::max(end, static_cast<int>(r.top));
    return r;
}

RECT CNyMultiTrackView::GetTrackWaveRect(int track)
{
    RECT r = GetVisibleTrackRect(track);
    if (track == -1)
        return r;
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    int c = GetChannelHeight(track);
    int channels = doc ? doc->GetTrackChannels(track) : 1;
    r.top += GetTrackTitleHeight() + GetMarkerAreaHeight();
    r.bottom = r.top + (c + 1) * channels - 1;
    return r;
}

RECT CNyMultiTrackView::GetChannelRect(int a, int channel)
{
    int track = a;
    if (channel == -1) {
        track = TrackFromRow(a, 0);
        channel = a - GetTrackRow(track, 0);
    }
    int c = GetChannelHeight(track);
    RECT r = GetTrackWaveRect(track);
    r.top += (c + 1) * channel;
    r.bottom = r.top + c;
    return r;
}

int CNyMultiTrackView::TrackFromY(int y, int bounded)
{
    RECT tracks = GetTracksRect();
    if (y < tracks.top)
        return -1;
    int rows = GetRowCount();
    int top = tracks.top;
    for (int row = m_firstVisibleRow;; ++row) {
        if (bounded && row >= rows)
            return -1;
        int bottom = top + GetRowHeight(row);
        if (y < bottom)
            return TrackFromRow(row, 0);
        top = bottom;
    }
}

double CNyMultiTrackView::GetSamplesPerPixel(int raw)
{
    return raw ? static_cast<double>(m_timeZoom) : static_cast<double>(m_timeZoom) * 0.015625;
}

double CNyMultiTrackView::SampleToPixel(int64_t samples)
{
    return static_cast<double>(samples) / GetSamplesPerPixel(0);
}

int64_t CNyMultiTrackView::PixelToSample(double pixels)
{
    return static_cast<int64_t>(GetSamplesPerPixel(0) * pixels);
}

int64_t CNyMultiTrackView::XToSample(int x)
{
    RECT wave = GetTrackWaveRect(-1);
    if (x < wave.left)
        return -1;
    x = std::min(x, static_cast<int>(wave.right));
    return m_firstVisibleSample + PixelToSample(x - wave.left);
}

int64_t CNyMultiTrackView::SetFirstVisibleSample(int64_t position)
{
    double spp = GetSamplesPerPixel(0);
    if (spp > 1.0) {
        int64_t step = static_cast<int64_t>(spp);
        position = position / step * step;
    }
    m_firstVisibleSample = std::max<int64_t>(position, 0);
    return m_firstVisibleSample;
}

void CNyMultiTrackView::InvalidateTrackArea(const RECT& area)
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, &area, TRUE);
}

void CNyMultiTrackView::RepaintTracks()
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}
