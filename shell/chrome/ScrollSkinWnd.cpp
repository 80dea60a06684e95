#include "ScrollSkinWnd.h"

BEGIN_MESSAGE_MAP(ScrollSkinWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_MESSAGE(WM_HSCROLL, OnScrollMessage)
    ON_MESSAGE(WM_VSCROLL, OnScrollMessage)
    ON_MESSAGE(kCustomScrollBarReflectedNotify, OnReflectedNotify)
END_MESSAGE_MAP()

BOOL ScrollSkinWnd::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if ((style & SBS_VERT) && !(style & WS_VSCROLL))
        style = (style & ~(DWORD)SBS_VERT) | WS_VSCROLL;
    else if (!(style & WS_HSCROLL))
        style |= WS_HSCROLL;
    return CWnd::Create(nullptr, nullptr, style, rect, parent, id);
}

int ScrollSkinWnd::OnCreate(LPCREATESTRUCTA cs)
{
    int result = CWnd::OnCreate(cs);
    if (result == -1)
        return -1;
    CustomScrollBar_Install(m_hWnd);
    m_bar = (GetStyle() & WS_VSCROLL) ? 1 : 0;
    return result;
}

void ScrollSkinWnd::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    // Square arrows: as long as the bar is thick. The bar fills the window, so the window's own
    // size (not the client's, which the bar leaves empty) gives the thickness.
    RECT r;
    GetWindowRect(&r);
    if (m_bar == 1)
        CustomScrollBar_SetButtonSize(m_hWnd, SB_VERT, r.right - r.left, r.right - r.left);
    else
        CustomScrollBar_SetButtonSize(m_hWnd, SB_HORZ, r.bottom - r.top, r.bottom - r.top);
}

LRESULT ScrollSkinWnd::OnScrollMessage(WPARAM wParam, LPARAM)
{
    const MSG* current = GetCurrentMessage();
    if (HWND parent = ::GetParent(m_hWnd))
        ::SendMessageA(parent, current->message, wParam, 0);
    return 0;
}

LRESULT ScrollSkinWnd::OnReflectedNotify(WPARAM, LPARAM lParam)
{
    auto* draw = reinterpret_cast<CustomScrollBarDrawInfo*>(lParam);
    if (!m_customDrawn || !draw || draw->header.code != kCustomScrollBarDraw)
        return 0;
    switch (draw->drawStage) {
    case CDDS_PREPAINT:
        PrePaint(draw->dc, draw->rect);
        return CDRF_SKIPDEFAULT;
    case CDDS_POSTPAINT:
        PostPaint(draw->dc, draw->rect);
        return 0;
    case CDDS_ITEMPREPAINT:
        return DrawItem(draw->dc, draw->rect, draw->bar, draw->item, draw->state) ? CDRF_SKIPDEFAULT : 0;
    default:
        return 0;
    }
}

BOOL ScrollSkinWnd::GetScrollInfo(SCROLLINFO* info, UINT mask)
{
    if (!info)
        return FALSE;
    info->fMask = mask;
    return CustomScrollBar_GetScrollInfo(m_hWnd, GetBarKind(), info);
}

int ScrollSkinWnd::SetScrollInfo(SCROLLINFO* info, BOOL redraw)
{
    return CustomScrollBar_SetScrollInfo(m_hWnd, GetBarKind(), info, redraw);
}

BOOL ScrollSkinWnd::GetScrollRange(int* minimum, int* maximum)
{
    return CustomScrollBar_GetScrollRange(m_hWnd, GetBarKind(), minimum, maximum);
}

BOOL ScrollSkinWnd::EnableScrollBar(UINT arrows)
{
    return CustomScrollBar_EnableScrollBar(m_hWnd, GetBarKind(), arrows);
}

BOOL ScrollSkinWnd::SetScrollBarMetric(int size)
{
    return CustomScrollBar_SetMetric(m_hWnd, GetBarKind(), size);
}

BOOL ScrollSkinWnd::SetScrollButtonSize(int length, int thickness)
{
    return CustomScrollBar_SetButtonSize(m_hWnd, GetBarKind(), length, thickness);
}
