#include "SplitterBar.h"

BEGIN_MESSAGE_MAP(CSplitterBar, CBaseWin)
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_WM_MOUSEMOVE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CSplitterBar::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    HBRUSH light = ::GetSysColorBrush(COLOR_3DHIGHLIGHT), dark = ::GetSysColorBrush(COLOR_3DDKSHADOW);
    RECT top{r.left, r.top, r.right - 1, r.top + 1}, left{r.left, r.top, r.left + 1, r.bottom - 1};
    RECT bottom{r.left, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, r.top, r.right, r.bottom};
    ::FillRect(dc, &top, light);
    ::FillRect(dc, &left, light);
    ::FillRect(dc, &bottom, dark);
    ::FillRect(dc, &right, dark);
    ::EndPaint(m_hWnd, &ps);
}

BOOL CSplitterBar::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (hitTest == HTCLIENT && m_hover) {
        ::SetCursor(::LoadCursor(nullptr, IDC_SIZENS));
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

void CSplitterBar::OnMouseMove(UINT, CPoint point)
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    bool inside = ::PtInRect(&client, point) != 0;
    if (inside != (m_hover != 0))
        m_hover = inside ? 1 : 0;
    Default();
}

BOOL CSplitterBar::OnEraseBkgnd(CDC* dc)
{
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(dc->m_hDC, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    return static_cast<BOOL>(Default());
}
