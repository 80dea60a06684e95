#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "ViewIds.h"

#include <algorithm>

namespace {
ScrollInfo64 NewScrollInfo(UINT mask)
{
    ScrollInfo64 info{};
    info.size = sizeof info;
    info.mask = mask;
    return info;
}

SCROLLINFO NewScrollInfo32(UINT mask)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

int WaveWidth(CNyMultiTrackView& view)
{
    RECT wave = view.GetTrackWaveRect(-1);
    return wave.right - wave.left;
}

void InvalidateWindow(CWnd& wnd, BOOL erase = TRUE)
{
    if (wnd.m_hWnd)
        ::InvalidateRect(wnd.m_hWnd, nullptr, erase);
}

void UpdateWindowNow(CWnd& wnd)
{
    if (wnd.m_hWnd)
        ::UpdateWindow(wnd.m_hWnd);
}
} // namespace

int64_t CNyMultiTrackView::ZoomToFit(int mode, int computeOnly)
{
    int w = WaveWidth(*this);
    if (w <= 0)
        return m_timeZoom;
    if (m_amplitudeZoom == -1)
        m_amplitudeZoom = 4;
    int64_t zoom = m_timeZoom;
    if (mode != -1) {
        CNyMultiTrackDoc* doc = GetMultiTrackDoc();
        zoom = FitTimeZoom(doc ? doc->GetLength() : 0, w);
        if (computeOnly)
            return zoom;
        m_timeZoom = zoom;
    }
    if (!computeOnly)
        UpdateStatusText();
    return zoom;
}

void CNyMultiTrackView::OnFitToWindow()
{
    m_deferredUpdate = 1;
    EnsureSampleVisible(0);
    ZoomToFit(0, 0);
    UpdateScrollBars();
    m_deferredUpdate = 0;
    UpdateNow();
}

namespace {
enum class ZoomStep { In, Out };
}

static void Zoom(CNyMultiTrackView& view, ZoomStep step, int64_t& zoom, int& deferred, UINT_PTR playTimer)
{
    CNyMultiTrackDoc* doc = view.GetMultiTrackDoc();
    if (!doc)
        return;
    if (step == ZoomStep::In && zoom <= 1)
        return;
    if (step == ZoomStep::Out && zoom > 64) {
        ScrollInfo64 info = NewScrollInfo(SIF_ALL);
        if (view.GetHorzScrollBar().m_hWnd)
            view.GetHorzScrollBar().GetScrollPos64(&info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS);
        if (info.page == 0)
            return;
    }
    ZoomTarget t;
    t.length = doc->GetLength();
    if (CSelectionModel* selection = doc->GetSelection())
        selection->GetOrderedSelection(&t.start, &t.end);
    if (view.GetPlayPosition() >= 0) {
        t.start = t.end = view.GetPlayPosition();
        t.playing = true;
    }
    view.GetVisibleRange(&t.first, &t.last);
    zoom = step == ZoomStep::In ? zoom / 2 : zoom * 2;
    view.GetVisibleRange(&t.newFirst, &t.newLast);
    t.zoomOut = step == ZoomStep::Out;
    int64_t first = ZoomFirstSample(t);
    deferred = 1;
    view.SetFirstVisibleSample(first);
    view.UpdateHorzScrollBar();
    deferred = 0;
    if (!playTimer) {
        view.EnsureSampleVisible(view.GetFirstVisibleSample());
        view.SetEditPosition(-1);
    }
    view.UpdateStatusText();
}

void CNyMultiTrackView::OnZoomIn()
{
    Zoom(*this, ZoomStep::In, m_timeZoom, m_deferredUpdate, m_playTimer);
}

void CNyMultiTrackView::OnZoomOut()
{
    Zoom(*this, ZoomStep::Out, m_timeZoom, m_deferredUpdate, m_playTimer);
}

void CNyMultiTrackView::OnUpdateTimeZoom(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    ui->Enable(doc && doc->GetLength() != 0);
}

void CNyMultiTrackView::OnUpdateAmplitudeZoom(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    ui->Enable(doc && doc->GetTrackCount() > 0);
}

void CNyMultiTrackView::ChangeWaveMagnification(int direction)
{
    if (direction > 0 && m_magnification < 64)
        m_magnification *= 2;
    else if (direction < 0 && m_magnification > 1)
        m_magnification /= 2;
    else
        return;
    InvalidateWindow(m_scale);
    InvalidateWindow(m_trackArea);
}

void CNyMultiTrackView::OnZoomInAmplitude()
{
    if (::GetKeyState(VK_CONTROL) < 0) {
        ChangeWaveMagnification(1);
    } else if (m_amplitudeZoom < 16) {
        ++m_amplitudeZoom;
        UpdateVertScrollBar();
    }
}

void CNyMultiTrackView::OnZoomOutAmplitude()
{
    if (::GetKeyState(VK_CONTROL) < 0) {
        ChangeWaveMagnification(-1);
    } else if (m_amplitudeZoom > 1) {
        --m_amplitudeZoom;
        UpdateVertScrollBar();
    }
}

void CNyMultiTrackView::UpdateScrollBars()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    int w = WaveWidth(*this);
    int64_t length = doc ? doc->GetLength() : 0;
    if (m_timeZoom > 0 && SampleToPixel(length - m_firstVisibleSample) < w / 2)
        SetFirstVisibleSample(length - PixelToSample(w / 2));
    UpdateHorzScrollBar();
    UpdateVertScrollBar();
}

void CNyMultiTrackView::UpdateHorzScrollBar()
{
    int w = WaveWidth(*this);
    if (w <= 0 || m_timeZoom <= 0) {
        m_sampleWide = 0;
        return;
    }
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    TimeAxis axis = Axis();
    HorzScrollRange range = ComputeHorzScrollRange(axis.SamplesToPixelsViaTime(doc ? doc->GetLength() : 0), w);
    if (range.minimum == range.maximum)
        m_firstVisibleSample = 0;
    if (m_horzScroll.m_hWnd) {
        ScrollInfo64 info = NewScrollInfo(SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL);
        info.minimum = range.minimum;
        info.maximum = range.maximum;
        info.page = range.page;
        info.position = axis.SamplesToPixelsViaTime(m_firstVisibleSample);
        m_horzScroll.SetScrollInfo64(&info, TRUE);
        m_horzScroll.EnableScrollBar(range.minimum == range.maximum ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
    }
    m_sampleWide = SampleToPixel(1) >= 5.0 ? 1 : 0;
    m_video.UpdateLayout();
    InvalidateWindow(m_ruler);
    InvalidateWindow(m_video);
    InvalidateWindow(m_trackArea);
    InvalidateWindow(m_overview, FALSE);
}

std::vector<int> CNyMultiTrackView::RowHeights()
{
    std::vector<int> heights(size_t(std::max(GetRowCount(), 0)));
    for (size_t r = 0; r < heights.size(); ++r)
        heights[r] = GetRowHeight(int(r));
    return heights;
}

void CNyMultiTrackView::UpdateVertScrollBar()
{
    int h = m_trackAreaRect.bottom - m_trackAreaRect.top;
    if (h <= 0)
        return;
    std::vector<int> heights = RowHeights();
    int rows = int(heights.size());
    // Rows taken away (or grown to fit) leave no first visible row past the end.
    m_firstVisibleRow = std::max(0, std::min(m_firstVisibleRow, rows - 1));
    int fitting = CountFittingRows(heights, m_firstVisibleRow, h);
    if (rows <= fitting)
        m_firstVisibleRow = 0;
    SCROLLINFO info = NewScrollInfo32(SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL);
    info.nMax = rows - 1;
    info.nPage = 1;
    if (rows <= fitting)
        info.nMin = info.nMax = int(info.nPage = 0);
    info.fMask |= SIF_POS;
    info.nPos = m_firstVisibleRow;
    if (m_vertScroll.m_hWnd) {
        m_vertScroll.SetScrollInfo(&info, TRUE);
        ::EnableScrollBar(m_vertScroll.m_hWnd, SB_CTL, info.nMin == info.nMax ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
    }
    InvalidateWindow(m_header);
    InvalidateWindow(m_scale);
    InvalidateWindow(m_trackArea);
}

void CNyMultiTrackView::OnHScroll(UINT code, UINT, CWnd*)
{
    EndInPlaceEdit();
    if (!m_horzScroll.m_hWnd)
        return;
    ScrollInfo64 info = NewScrollInfo(SIF_ALL);
    m_horzScroll.GetScrollPos64(&info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS);
    int64_t line = HorzLineStep(Axis(), info.page);
    if (line == 0)
        return;
    int64_t position;
    switch (code) {
    case SB_LINELEFT:
        position = info.position - line;
        break;
    case SB_LINERIGHT:
        position = info.position + line;
        break;
    case SB_PAGELEFT:
        position = info.position - 3 * line;
        break;
    case SB_PAGERIGHT:
        position = info.position + 3 * line;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        position = info.trackPosition;
        break;
    case SB_LEFT:
        position = 0;
        break;
    case SB_RIGHT:
        position = info.maximum;
        break;
    default:
        return;
    }
    position = std::min<int64_t>(std::max<int64_t>(position, 0), info.maximum - int64_t(info.page));
    if (code == SB_LEFT || position < 0)
        position = 0;
    if (position == info.position)
        return;
    ScrollToSample(info, position);
    InvalidateWindow(m_ruler);
    UpdateWindowNow(m_ruler);
    m_overview.Redraw();
}

namespace {
// While playing the view scrolls on every tick of the play timer: the bar is drawn again only
// when its thumb lands on other pixels or its state changes.
void MoveScrollThumb(CScrollBar64& bar, ScrollInfo64* info, bool enable)
{
    SCROLLBARINFO before{};
    before.cbSize = sizeof before;
    const bool known = ::GetScrollBarInfo(bar.m_hWnd, OBJID_CLIENT, &before) != FALSE;
    bar.SetScrollInfo64(info, FALSE);
    if (!known || ((before.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0) == enable)
        bar.EnableScrollBar(enable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
    SCROLLBARINFO after{};
    after.cbSize = sizeof after;
    if (!known || !::GetScrollBarInfo(bar.m_hWnd, OBJID_CLIENT, &after) || after.xyThumbTop != before.xyThumbTop ||
        after.xyThumbBottom != before.xyThumbBottom)
        ::InvalidateRect(bar.m_hWnd, nullptr, FALSE);
}
} // namespace

void CNyMultiTrackView::ScrollToSample(ScrollInfo64& info, int64_t position)
{
    TimeAxis axis = Axis();
    int64_t d = ScrollSampleDistance(axis, m_firstVisibleSample, info.position, position);
    int dx = int(SampleToPixel(d));
    if (dx == 0)
        return;
    RECT wave = GetTrackWaveRect(-1), tracks = GetTracksRect();
    RECT rows{wave.left, tracks.top + 1, wave.right, tracks.bottom - 1};
    CPlayCursorLine& line = m_trackArea.GetPlayCursorLine();
    bool lineShown = m_trackArea.m_hWnd && line.IsShown();
    if (lineShown)
        line.DrawOnWindow(-1);
    SetFirstVisibleSample(m_firstVisibleSample - d);
    if (std::abs(dx) >= wave.right - wave.left) {
        if (m_trackArea.m_hWnd)
            ::InvalidateRect(m_trackArea.m_hWnd, &rows, FALSE);
        InvalidateWindow(m_video);
    } else {
        InvalidateCaret(0);
        if (m_trackArea.m_hWnd) {
            ::ScrollWindowEx(m_trackArea.m_hWnd, dx, 0, &rows, &rows, nullptr, nullptr, 0);
            RECT strip = rows;
            if (dx > 0)
                strip.right = rows.left + dx + 1;
            else
                strip.left = rows.right + dx;
            ::InvalidateRect(m_trackArea.m_hWnd, &strip, FALSE);
        }
        m_video.ScrollBy(dx);
        InvalidateCaret(1);
    }
    if (lineShown)
        line.DrawOnWindow(-1);
    info.mask = SIF_POS | SIF_DISABLENOSCROLL;
    info.position = axis.SamplesToPixelsViaTime(std::max<int64_t>(m_firstVisibleSample, 0));
    if (m_horzScroll.m_hWnd)
        MoveScrollThumb(m_horzScroll, &info, info.minimum != info.maximum);
}

int CNyMultiTrackView::EnsureSampleVisible(int64_t position, bool paintNow)
{
    position = std::max<int64_t>(position, 0);
    int w = WaveWidth(*this);
    int64_t half = PixelToSample(w / 2);
    int64_t first = 0, last = 0;
    GetVisibleRange(&first, &last);
    ScrollInfo64 info = NewScrollInfo(SIF_ALL);
    if (m_horzScroll.m_hWnd)
        m_horzScroll.GetScrollPos64(&info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS);
    bool canScroll = info.maximum != info.position;
    if (!canScroll) {
        if (position < first)
            SetFirstVisibleSample(0);
        return 1;
    }
    int64_t target = EnsureVisibleTarget(position, first, last, half, canScroll);
    if (target >= 0) {
        ScrollToSample(info, Axis().SamplesToPixelsViaTime(target));
        InvalidateWindow(m_ruler);
        if (paintNow) {
            UpdateWindowNow(m_ruler);
            m_overview.Redraw();
        } else {
            m_overview.RedrawLater();
        }
    }
    return 1;
}

void CNyMultiTrackView::OnVScroll(UINT code, UINT, CWnd*)
{
    EndInPlaceEdit();
    if (!m_vertScroll.m_hWnd)
        return;
    SCROLLINFO info = NewScrollInfo32(SIF_ALL);
    m_vertScroll.GetScrollInfo(&info, SIF_ALL);
    int p = m_firstVisibleRow, down = 1, up = 1;
    CountRowsAround(RowHeights(), p, m_trackAreaRect.bottom - m_trackAreaRect.top, &down, &up);
    int position;
    switch (code) {
    case SB_LINEUP:
        position = p - 1;
        break;
    case SB_LINEDOWN:
        position = p + 1;
        break;
    case SB_PAGEUP:
        position = p - up;
        break;
    case SB_PAGEDOWN:
        position = p + down;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = 0;
        break;
    case SB_BOTTOM:
        position = info.nMax - int(info.nPage) + 1;
        break;
    default:
        return;
    }
    position = std::max(0, std::min(position, info.nMax));
    if (position == p)
        return;
    ScrollRowsTo(position);
}

void CNyMultiTrackView::ScrollRowsTo(int top)
{
    m_firstVisibleRow = top;
    if (m_vertScroll.m_hWnd)
        ::SetScrollPos(m_vertScroll.m_hWnd, SB_CTL, top, TRUE);
    InvalidateWindow(m_trackArea);
    InvalidateWindow(m_header);
    InvalidateWindow(m_scale);
}
