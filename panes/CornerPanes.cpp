#include "CornerPanes.h"

#include "MemoryDC.h"
#include "SkinTables.h"
#include "TipWindow.h"

#include <algorithm>

namespace {

constexpr UINT kIdsGroupingTip = 22021;
constexpr const char* kGroupingTip = "Enable grouping for all tracks";
constexpr int kGroupFrames = 8;
constexpr int kSkinColorShadow = 14;

// Every corner pane paints through an off-screen buffer of its client size and copies only the
// damaged rectangle.
template <class Pane>
void PaintBuffered(Pane* pane)
{
    CPaintDC paint(pane->m_hWnd);
    const CRect damaged(paint.m_ps.rcPaint);
    if (damaged.IsRectEmpty())
        return;
    CRect client;
    pane->GetClientRect(&client);
    MemoryDC buffer;
    CDC* dc = buffer.Create(&paint, client);
    if (!dc)
        return;
    pane->Render(dc, client);
    paint.BitBlt(damaged.left, damaged.top, damaged.Width(), damaged.Height(), dc, damaged.left, damaged.top, SRCCOPY);
}

// A one-pixel line in a skin colour, drawn with a pattern fill as the panes draw their edges.
void EdgeLine(CDC* dc, int x, int y, int width, int height, int colorIndex)
{
    CBrush brush(SkinColorAt(colorIndex));
    HGDIOBJ previous = dc->SelectObject(brush);
    dc->PatBlt(x, y, width, height, PATCOPY);
    dc->SelectObject(previous);
}

} // namespace

// ---- CSkinCtrl -------------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CSkinCtrl, CBaseWin)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

ICornerPaneHost* CSkinCtrl::Host() const
{
    return dynamic_cast<ICornerPaneHost*>(GetParentWnd());
}

void CSkinCtrl::OnPaint()
{
    CPaintDC paint(m_hWnd); // validates; the derived panes paint
}

BOOL CSkinCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

// ---- CGroupButtonPane -------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CGroupButtonPane, CSkinCtrl)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_CANCELMODE()
END_MESSAGE_MAP()

int CGroupButtonPane::ButtonFrame(bool groupingOn, bool pressedOnButton)
{
    return (groupingOn ? 4 : 0) + (pressedOnButton ? 2 : 0);
}

void CGroupButtonPane::Render(CDC* dc, const RECT& client)
{
    const CRect r(client);
    TileSkinImage(dc, kSkinViewTopLeft, r);
    EdgeLine(dc, r.left, r.bottom - 1, r.Width(), 1, kSkinColorPaneBack);
    ICornerPaneHost* host = Host();
    if (host && host->GetMultiIcon() == 1)
        DrawSkinImage(dc, kSkinMultiIcon, 8, 8);

    const CSize image = GetSkinImageSize(kSkinGroupBtn);
    const int w = image.cx / kGroupFrames, h = image.cy;
    m_buttonX = r.right - w - 14;
    m_buttonY = r.bottom - 2 - h;
    bool pressedOnButton = false;
    if (m_pressed == 1 && m_hWnd) {
        POINT cursor;
        ::GetCursorPos(&cursor);
        ScreenToClient(&cursor);
        pressedOnButton = HitTest(cursor) == 1;
    }
    const int frame = ButtonFrame(host && host->IsGroupingEnabled(), pressedOnButton);
    DrawSkinImageRect(dc, kSkinGroupBtn, CRect(m_buttonX, m_buttonY, m_buttonX + w, r.bottom - 2), frame * w, 0);
}

int CGroupButtonPane::HitTest(CPoint point)
{
    const CSize image = GetSkinImageSize(kSkinGroupBtn);
    const CRect button(m_buttonX, m_buttonY, m_buttonX + image.cx / kGroupFrames, m_buttonY + image.cy);
    if (!GetTip() && m_hWnd) {
        if (TipWindow* tip = CreateTipWindow(this, 0, 0)) {
            CString text;
            if (!text.LoadString(kIdsGroupingTip))
                text = kGroupingTip;
            tip->SetActive(TRUE);
            tip->AddTool(text, button);
            SetTip(tip);
        }
    }
    return button.PtInRect(point) ? 1 : 0;
}

void CGroupButtonPane::OnPaint()
{
    PaintBuffered(this);
}

void CGroupButtonPane::OnLButtonDown(UINT flags, CPoint point)
{
    CBaseWin::OnLButtonDown(flags, point);
    ICornerPaneHost* host = Host();
    if (!host || !host->IsTransportIdle() || host->GetEditMode() != 0)
        return;
    m_pressed = HitTest(point);
    if (m_pressed == 1) {
        m_hover = 1;
        SetCapture();
        Invalidate(FALSE);
    }
}

void CGroupButtonPane::OnMouseMove(UINT flags, CPoint point)
{
    if ((flags & MK_LBUTTON) && m_pressed) {
        const int hover = HitTest(point);
        if (hover != m_hover) {
            m_hover = hover;
            Invalidate(FALSE);
        }
    }
    Default();
}

void CGroupButtonPane::OnLButtonUp(UINT, CPoint point)
{
    const bool wasPressed = m_pressed == 1;
    m_pressed = 0; // before the release: losing the capture must not count as a cancel
    ::ReleaseCapture();
    ICornerPaneHost* host = Host();
    if (wasPressed && host && HitTest(point) == 1) {
        host->EnableGrouping(!host->IsGroupingEnabled());
        host->RepaintTrackHeader();
    }
    m_pressed = m_hover = 0;
    Invalidate(FALSE);
}

void CGroupButtonPane::OnCancelMode()
{
    ::ReleaseCapture();
    m_pressed = m_hover = 0;
    Invalidate(FALSE);
}

// ---- CSkinPushButton -----------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CSkinPushButton, CSkinCtrl)
    ON_WM_PAINT()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

void CSkinPushButton::Render(CDC* dc, const RECT& client)
{
    const CRect r(client);
    TileSkinImage(dc, kSkinViewTop, r);
    EdgeLine(dc, r.left, r.bottom - 1, r.Width(), 1, kSkinColorPaneBack);
    EdgeLine(dc, r.right - 1, r.top, 1, r.Height(), kSkinColorPaneBack);
}

void CSkinPushButton::OnPaint()
{
    PaintBuffered(this);
}

void CSkinPushButton::OnLButtonUp(UINT, CPoint point)
{
    CRect client;
    GetClientRect(&client);
    ICornerPaneHost* host = Host();
    if (!host || !client.PtInRect(point))
        return;
    const bool caretOnly = !host->HasTimeRange();
    if (caretOnly)
        host->InvalidateCaret(0);
    if (host->IsAllTracksMode()) {
        int first = 0, last = 0;
        host->GetPreviousRowRange(&first, &last);
        host->SetRowRange(std::min(first, last), std::max(first, last), 0);
    } else {
        host->SetRowRange(0, -1, 0);
        host->SetAllTracksMode(true);
    }
    if (caretOnly)
        host->InvalidateCaret(1);
    else
        host->RedrawSelectionArea(-1);
    host->RepaintTrackHeader();
    Invalidate(FALSE);
}

void CSkinPushButton::OnLButtonDblClk(UINT, CPoint)
{
    ICornerPaneHost* host = Host();
    if (!host || !host->IsTransportIdle() || host->GetEditMode() != 0)
        return;
    host->SetAllTracksMode(true);
    host->SetRowRange(0, -1, 0);
    host->SetTimeRange(0, 0);
    host->RedrawSelectionArea(-1);
    host->SetEditPosition(-1);
    if (CWnd* view = host->GetViewWindow()) {
        view->SendMessage(WM_VSCROLL, SB_TOP, 0);
        view->SendMessage(WM_HSCROLL, SB_TOP, 0);
    }
}

BOOL CSkinPushButton::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    ICornerPaneHost* host = Host();
    if (hitTest == HTCLIENT && host && host->IsTransportIdle()) {
        // Without the program's cursor resource the default cursor stays.
        if (HCURSOR finger = ::LoadCursorA(AfxGetResourceHandle(), "CUR_FINGER_U")) {
            ::SetCursor(finger);
            return TRUE;
        }
    }
    return (BOOL)Default();
}

// ---- CSkinStatic ------------------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CSkinStatic, CSkinCtrl)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CSkinStatic::Render(CDC* dc, const RECT& client)
{
    const CRect r(client);
    dc->FillSolidRect(r, SkinColorAt(kSkinColorPaneBack));
    dc->FillSolidRect(CRect(r.left, r.top, r.right - 1, r.bottom - 1), SkinColorAt(kSkinColorShadow));
}

void CSkinStatic::OnPaint()
{
    PaintBuffered(this);
}
