#include "TimeRulerPane.h"

#include "CursorIds.h"
#include "FontSet.h"
#include "LabelMarks.h"
#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "SelectionMouse.h"
#include "SkinTables.h"
#include "WaveformPainter.h"

#include <algorithm>
#include <cmath>

BEGIN_MESSAGE_MAP(CTimeRulerPane, CBaseWin)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
    ON_WM_CANCELMODE()
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

BOOL CTimeRulerPane::Create(CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, parent, id);
}

bool CTimeRulerPane::Bind()
{
    if (!m_view && m_hWnd)
        CalcHeight();
    return m_view != nullptr;
}

void CTimeRulerPane::BindView(CNyMultiTrackView* view, int digitWidth)
{
    m_view = view;
    m_doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    // The document's units until the document hands its own over.
    if (m_doc && !m_units) {
        m_units = m_doc->GetSettings().rulerUnit;
        m_frameRate = m_doc->GetSettings().frameRate;
    }
    m_digitWidth = digitWidth;
}

void CTimeRulerPane::CalcHeight()
{
    HDC dc = ::GetDC(m_hWnd);
    CFont* font = FontSet::Get(2);
    HGDIOBJ old = font ? ::SelectObject(dc, font->m_hObject) : nullptr;
    SIZE size{0, 0};
    ::GetTextExtentPoint32A(dc, "9", 1, &size);
    if (old)
        ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    BindView(dynamic_cast<CNyMultiTrackView*>(CWnd::FromHandle(::GetParent(m_hWnd))), size.cx);
}

void CTimeRulerPane::SetUnits(uint32_t units, double frameRate)
{
    if (!Bind() || m_view->GetTimeZoom() == -1)
        return;
    if (units)
        m_units = units;
    if (frameRate)
        m_frameRate = frameRate;
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    double rate = doc ? double(doc->GetSamplesPerSec()) : 0;
    double spp = m_view->GetSamplesPerPixel(0);
    m_grid = ComputeRulerGrid(m_units, m_frameRate, rate, spp, m_view->GetFirstVisibleSample(), m_digitWidth);
}

std::string CTimeRulerPane::FormatTickLabel(double value) const
{
    return ::FormatTickLabel(m_units, m_frameRate, m_grid.step, value);
}

bool CTimeRulerPane::GetTickGrid(double* offset, int64_t* index, double* spacing) const
{
    *offset = m_grid.firstOffset;
    *index = m_grid.firstIndex;
    *spacing = m_grid.spacing;
    return m_grid.spacing > 0;
}

int64_t CTimeRulerPane::GetTickAtOrBefore(int64_t position)
{
    if (!Bind() || !(m_grid.spacing > 0))
        return position;
    int64_t first = m_view->GetFirstVisibleSample();
    double a = m_grid.firstOffset, b = a + m_grid.spacing;
    while (first + m_view->PixelToSample(b) <= position) {
        a = b;
        b += m_grid.spacing;
    }
    return first + m_view->PixelToSample(a);
}

void CTimeRulerPane::InvertPositionMark(HDC dc)
{
    if (!dc || !Bind() || m_view->GetEditPosition() < 0)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int x = int(m_view->SampleToPixel(m_view->GetEditPosition() - m_view->GetFirstVisibleSample()));
    x += m_view->GetTrackWaveRect(-1).left;
    if (x < 0 || x >= client.right)
        return;
    RECT mark{x, client.top + 7, x + 1, client.bottom - 2};
    ::InvertRect(dc, &mark);
}

int CTimeRulerPane::HitTest(int x, int y)
{
    if (!Bind())
        return 0;
    if (CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc())
        if (doc->GetLabels().HitTest(-1, x, y, LabelHitHalfWidth()))
            return -4;
    CSelectionModel* selection = m_view->GetSelection();
    int64_t start = 0, end = 0;
    if (selection && selection->GetSelection(&start, &end)) {
        int left = m_view->GetVisibleTrackRect(0).left;
        int64_t first = m_view->GetFirstVisibleSample();
        if (std::abs(x - (left + int(m_view->SampleToPixel(start - first)))) <= 4)
            return 4;
        if (std::abs(x - (left + int(m_view->SampleToPixel(end - first)))) <= 4)
            return 5;
    }
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    return y < (client.bottom - client.top - 2) / 2 ? -2 : -3;
}

int CTimeRulerPane::HitTestCursor()
{
    POINT p;
    ::GetCursorPos(&p);
    ::ScreenToClient(m_hWnd, &p);
    return HitTest(p.x, p.y);
}

BOOL CTimeRulerPane::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CTimeRulerPane::OnPaint()
{
    PaintBuffered(m_hWnd, Bind(), [&](HDC dc, const RECT& client) { PaintRuler(dc, client); });
}

void CTimeRulerPane::PaintRuler(HDC dc, const RECT& client)
{
    FillColour(dc, client, SkinColorAt(11));
    RECT inner{client.left, client.top, client.right - 1, client.bottom - 1};
    if (CBrush* pattern = GetSkinPatternBrush(24))
        ::FillRect(dc, &inner, static_cast<HBRUSH>(pattern->m_hObject));

    RECT w = m_view->GetTrackWaveRect(-1);
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, w.left, client.top + 1, w.right + 1, client.bottom - 1);

    int64_t first = m_view->GetFirstVisibleSample(), start = 0, end = 0;
    if (CSelectionModel* selection = m_view->GetSelection())
        selection->GetOrderedSelection(&start, &end);
    RECT band{w.left + int(m_view->SampleToPixel(std::max<int64_t>(0, start - first))), client.top + 25,
              w.left + int(m_view->SampleToPixel(std::max<int64_t>(0, end - first))), client.bottom - 2};
    bool hasBand = band.right > band.left && band.right >= w.left && band.left <= w.right;
    band.right = std::min<LONG>(band.right, w.right + 1);
    if (hasBand)
        FillColour(dc, band, SkinColorAt(37));

    SetUnits(0, 0);
    CFont* font = FontSet::Get(0);
    HGDIOBJ oldFont = font ? ::SelectObject(dc, font->m_hObject) : nullptr;
    ::SetBkMode(dc, TRANSPARENT);
    if (m_grid.spacing > 0) {
        int64_t n = m_grid.firstIndex;
        for (double x = w.left + m_grid.firstOffset; x < w.right + 1; x += m_grid.spacing, ++n) {
            int column = int(x);
            bool inBand = hasBand && band.left <= x && x <= band.right;
            int length = n % 10 == 0 ? 8 : 3;
            FillColour(dc, RECT{column, client.bottom - 2 - length, column + 1, client.bottom - 2},
                       SkinColorAt(inBand ? 15 : 16));
            if (n % 10 == 0) {
                std::string label = FormatTickLabel(double(n) * m_grid.step);
                RECT text{column + 1, client.top + 1, w.right + 1, client.top + 16};
                ::DrawTextA(dc, label.c_str(), -1, &text, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
            }
        }
    }
    if (oldFont)
        ::SelectObject(dc, oldFont);
    ::RestoreDC(dc, saved);
    DrawTrackLabels(m_view, dc, -1, RECT{w.left, client.top + 14, w.right + 1, client.bottom - 2});
    InvertPositionMark(dc);
}

bool CTimeRulerPane::Blocked()
{
    IInPlaceEditHost* host = GetInPlaceEditHost();
    CWnd* edit = host ? host->GetInPlaceEdit() : nullptr;
    bool editing = edit && edit->m_hWnd && ::IsWindowVisible(edit->m_hWnd);
    return !Bind() || editing || m_view->GetEditMode() == 1 || m_view->GetEditMode() == 2;
}

void CTimeRulerPane::OnMouseMove(UINT flags, CPoint point)
{
    if (Blocked())
        return;
    double spp = m_view->GetSamplesPerPixel(0);
    if (spp > 0 && spp < 1)
        point.x += -3 + int(1.0 / spp) / 2;
    int hit = HitTest(point.x, point.y);
    bool changed = hit != m_hoverHit;
    m_hoverHit = hit;
    if ((flags & MK_LBUTTON) && m_pressHit == -4 && changed)
        return;
    POINT p = point;
    ::MapWindowPoints(m_hWnd, m_view->GetTrackArea().m_hWnd, &p, 1);
    m_view->SetEditPosition(m_view->XToSample(p.x));
}

void CTimeRulerPane::OnLButtonDown(UINT flags, CPoint point)
{
    CBaseWin::OnLButtonDown(flags, point);
    if (Blocked())
        return;
    m_pressHit = short(HitTest(point.x, point.y));
    m_hoverHit = m_pressHit;
    if (m_view->IsRecording())
        return;
    if (PressOnLabel(m_view, m_hWnd, -1, point.x, point.y))
        return;
    int edge = m_pressHit == 4 ? 1 : m_pressHit == 5 ? 2 : 0;
    if (edge && ActiveLabelStretchable(m_view))
        EditLabelAt(m_view, m_hWnd, true, edge, point.x, point.y, flags);
    else
        SelectionMouseDown(m_view, m_hWnd, true, edge, point.x, point.y, flags);
    m_view->SyncMixerAutomation();
}

void CTimeRulerPane::OnLButtonUp(UINT, CPoint)
{
    if (Bind() && m_view->GetEditMode() == 0 && m_pressHit != -4 && !m_view->HasSelection())
        m_view->GetTrackArea().InvalidateCaret(1);
    m_pressHit = 0;
    m_hoverHit = 0;
}

BOOL CTimeRulerPane::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (hitTest == HTCLIENT) {
        int hit = HitTestCursor();
        if (hit == 4 || hit == 5) {
            ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
            return TRUE;
        }
        IInPlaceEditHost* edits = GetInPlaceEditHost();
        CWnd* edit = edits ? edits->GetInPlaceEdit() : nullptr;
        if (hit == -4 && !(edit && edit->m_hWnd)) {
            ::SetCursor(::LoadCursor(nullptr, IDC_UPARROW));
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

void CTimeRulerPane::OnContextMenu(CWnd* wnd, CPoint point)
{
    if (Bind()) {
        CPoint client = point;
        if (point.x == -1 && point.y == -1)
            ::GetCursorPos(&client);
        ::ScreenToClient(m_hWnd, &client);
        if (HitTest(client.x, client.y) == -4) {
            LeaveInPlaceEdit();
            ShowContextMenu(IDM_TRACKAREA_LABEL, point);
            return;
        }
    }
    CBaseWin::OnContextMenu(wnd, point);
}

void CTimeRulerPane::OnCancelMode()
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    m_pressHit = 0;
    m_hoverHit = 0;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}
