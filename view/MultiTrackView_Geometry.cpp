#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"

#include <algorithm>

namespace {
constexpr int kScrollBarWidth = 16;
}

CNyMultiTrackDoc* CNyMultiTrackView::GetMultiTrackDoc() const
{
    return dynamic_cast<CNyMultiTrackDoc*>(GetDocument());
}

CSelectionModel* CNyMultiTrackView::GetSelection() const
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    return doc ? doc->GetSelection() : nullptr;
}

void CNyMultiTrackView::SetPaneSizes(int viewWidth, int trackAreaWidth, int trackAreaHeight)
{
    m_viewWidth = viewWidth;
    m_trackAreaRect = RECT{0, 0, trackAreaWidth, trackAreaHeight};
}

TimeAxis CNyMultiTrackView::Axis()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    return TimeAxis{m_timeZoom, doc ? doc->GetSamplesPerSec() : 0};
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
    int y = m_trackAreaRect.top;
    for (int r = m_firstVisibleRow; r < row; ++r)
        y += GetRowHeight(r);
    for (int r = row; r < m_firstVisibleRow; ++r)
        y -= GetRowHeight(r);
    return y;
}

RECT CNyMultiTrackView::GetTrackRect(int track)
{
    RECT r{0, 0, 0, 0};
    if (m_viewWidth <= 0 || IsRectEmpty(&m_trackAreaRect))
        return r;
    r.left = m_trackAreaRect.left;
    r.right = m_viewWidth - kScrollBarWidth - 1;
    if (track == -1) {
        r.top = m_trackAreaRect.top;
        r.bottom = m_trackAreaRect.bottom;
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
    r.left = std::max(r.left, m_trackAreaRect.left);
    r.right = std::min(r.right, m_trackAreaRect.right - 1);
    return r;
}

RECT CNyMultiTrackView::GetTracksRect()
{
    RECT r = m_trackAreaRect;
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
    return TimeAxis{m_timeZoom, 0}.SamplesPerPixel(raw);
}

double CNyMultiTrackView::SampleToPixel(int64_t samples)
{
    return TimeAxis{m_timeZoom, 0}.SampleToPixel(samples);
}

int64_t CNyMultiTrackView::PixelToSample(double pixels)
{
    return TimeAxis{m_timeZoom, 0}.PixelToSample(pixels);
}

int64_t CNyMultiTrackView::XToSample(int x)
{
    RECT wave = GetTrackWaveRect(-1);
    if (x < wave.left)
        return -1;
    x = std::min(x, static_cast<int>(wave.right));
    return m_firstVisibleSample + PixelToSample(x - wave.left);
}

int64_t CNyMultiTrackView::GetVisibleRange(int64_t* first, int64_t* last)
{
    RECT wave = GetTrackWaveRect(-1);
    *first = m_firstVisibleSample;
    *last = m_firstVisibleSample + PixelToSample(wave.right - wave.left);
    return *last - *first;
}

int64_t CNyMultiTrackView::GetSelectionEnd()
{
    int64_t start = 0, end = 0;
    if (CSelectionModel* selection = GetSelection())
        selection->GetOrderedSelection(&start, &end);
    return end;
}

int64_t CNyMultiTrackView::SetFirstVisibleSample(int64_t position)
{
    m_firstVisibleSample = std::max<int64_t>(TimeAxis{m_timeZoom, 0}.SnapToPixel(position), 0);
    return m_firstVisibleSample;
}

void CNyMultiTrackView::SetEditPosition(int64_t position)
{
    if (position >= 0)
        position = TimeAxis{m_timeZoom, 0}.SnapToPixel(position);
    // The ruler's mark moves by inversion: off at the old place, on at the new one.
    HDC ruler = m_ruler.m_hWnd ? ::GetDC(m_ruler.m_hWnd) : nullptr;
    m_ruler.InvertPositionMark(ruler);
    m_editPosition = position;
    m_ruler.InvertPositionMark(ruler);
    if (ruler)
        ::ReleaseDC(m_ruler.m_hWnd, ruler);
    if (m_playPosition == -1 && position >= 0)
        UpdatePositionText(position);
}

int64_t CNyMultiTrackView::SetPlayPosition(int64_t position)
{
    if (position == m_playPosition)
        return m_playPosition;
    double before = SampleToPixel(m_playPosition), after = SampleToPixel(position);
    m_playPosition = position;
    if (m_trackArea.m_hWnd) {
        if (position < 0)
            m_trackArea.GetPlayCursorLine().Hide();
        else
            m_trackArea.GetPlayCursorLine().Update();
    }
    if (before != after && position >= 0) {
        m_overview.RedrawLater();
        UpdatePositionText(position);
    }
    return m_playPosition;
}

int CNyMultiTrackView::GetSpectrumHeight()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc || !doc->GetViewOption(kCmdViewSpectrum))
        return 0;
    return GetChannelHeight(0) / 2 + 1;
}

RECT CNyMultiTrackView::GetTrackTitleRect(int track)
{
    RECT r = GetVisibleTrackRect(track);
    r.left += 1;
    r.bottom = r.top + GetTrackTitleHeight();
    return r;
}

RECT CNyMultiTrackView::GetTrackMarkerRect(int track)
{
    RECT r = GetTrackTitleRect(track);
    r.top = r.bottom;
    r.bottom = r.top + GetMarkerAreaHeight();
    return r;
}

RECT CNyMultiTrackView::GetTrackSpectrumRect(int track)
{
    RECT r = GetTrackWaveRect(track);
    if (r.bottom - r.top != 0) {
        r.top = r.bottom + 1;
        r.bottom = r.top + GetSpectrumHeight();
    }
    return r;
}

int CNyMultiTrackView::RowFromY(int y, int withTitle)
{
    int rows = GetRowCount();
    auto band = [&](int row, RECT* r) {
        *r = GetChannelRect(row, -1);
        if (withTitle && row < rows && row == GetTrackRow(TrackFromRow(row, 0), 0))
            r->top -= GetMarkerAreaHeight() + GetTrackTitleHeight() + (row == 0 ? 0 : 2);
    };
    for (int row = m_firstVisibleRow; row < rows; ++row) {
        RECT r;
        band(row, &r);
        if (y >= r.top && y <= r.bottom)
            return row;
    }
    if (!withTitle)
        return rows;
    // Past the last row the channel rectangles go on at the default height.
    int row = rows;
    int top = RowTop(rows);
    for (;; ++row) {
        int bottom = top + GetDefaultChannelHeight();
        if (bottom >= y || row > rows + 10000)
            return row;
        top = bottom + 1;
    }
}
