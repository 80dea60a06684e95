#include "OverviewBar.h"

#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "SkinTables.h"
#include "ViewCore.h"

BEGIN_MESSAGE_MAP(COverviewBar, CBaseWin)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONUP()
END_MESSAGE_MAP()

void COverviewBar::Redraw()
{
    if (!m_hWnd)
        return;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
}

void COverviewBar::RedrawLater()
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void COverviewBar::Render(CDC* dc, const RECT& client)
{
    if (CBrush* brush = GetSkinPatternBrush(kSkinNaviBg))
        ::FillRect(dc->m_hDC, &client, static_cast<HBRUSH>(brush->m_hObject));
    else
        dc->FillSolidRect(client, SkinColorAt(kSkinColorPaneBack));
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc)
        return;
    int64_t first = 0, last = 0, start = 0, end = 0;
    m_view->GetVisibleRange(&first, &last);
    if (CSelectionModel* selection = doc->GetSelection())
        selection->GetOrderedSelection(&start, &end);
    OverviewBoxes boxes =
        ComputeOverviewBoxes(client, doc->GetLength(), first, last, start, end, m_view->GetPlayPosition());
    if (!boxes.valid)
        return;
    dc->FillSolidRect(boxes.document, SkinColorAt(48));
    dc->FillSolidRect(boxes.window, SkinColorAt(49));
    dc->FillSolidRect(boxes.selection, SkinColorAt(50));
}

void COverviewBar::OnPaint()
{
    CPaintDC paint(m_hWnd);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    MemoryDC buffer;
    if (CDC* dc = buffer.Create(&paint, client)) {
        Render(dc, client);
        const RECT& r = paint.m_ps.rcPaint;
        paint.BitBlt(r.left, r.top, r.right - r.left, r.bottom - r.top, dc, r.left, r.top, SRCCOPY);
    }
}

void COverviewBar::OnMouseMove(UINT, CPoint point)
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    bool inside = ::PtInRect(&client, point) != 0;
    if (inside != (m_hover != 0))
        m_hover = inside ? 1 : 0;
    Default();
}

BOOL COverviewBar::OnEraseBkgnd(CDC*)
{
    return TRUE;
}
