#include "ViewPanes.h"

#include "SkinTables.h"

BEGIN_MESSAGE_MAP(CPlainPane, CBaseWin)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONUP()
END_MESSAGE_MAP()

BOOL CPlainPane::Create(CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, parent, id);
}

void CPlainPane::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    HBRUSH brush = ::CreateSolidBrush(SkinColorAt(kSkinColorPaneBack));
    ::FillRect(dc, &ps.rcPaint, brush);
    ::DeleteObject(brush);
    ::EndPaint(m_hWnd, &ps);
}

BOOL CPlainPane::OnEraseBkgnd(CDC*)
{
    return TRUE;
}
