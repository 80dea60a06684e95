#include "ZoomButton.h"

#include "SkinTables.h"

BEGIN_MESSAGE_MAP(CZoomButton, CBaseWin)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_CANCELMODE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CZoomButton::Attach()
{
    m_view = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
}

void CZoomButton::Post(UINT command)
{
    // Posted, so that the zoom runs after this mouse message is done.
    if (m_view)
        ::PostMessageA(m_view, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void CZoomButton::StartTimer()
{
    if (!m_timer)
        m_timer = ::SetTimer(m_hWnd, kZoomRepeatTimerId, kZoomRepeatMs, nullptr);
}

void CZoomButton::RedrawPressed()
{
    ::InvalidateRect(m_hWnd, &m_pressed, FALSE);
    ::UpdateWindow(m_hWnd);
}

void CZoomButton::Repeat(CPoint point)
{
    ::GetClientRect(m_hWnd, &m_pressed);
    RECT second = m_pressed;
    if (m_time) {
        int middle = (m_pressed.right - m_pressed.left) / 2 + m_pressed.left;
        m_pressed.right = middle;
        second.left = middle;
    } else {
        int middle = (m_pressed.bottom - m_pressed.top) / 2 + m_pressed.top;
        m_pressed.bottom = middle;
        second.top = middle;
    }
    if (::PtInRect(&m_pressed, point)) {
        m_mode = 'I';
        m_inPressed = 1;
        Post(ZoomInCommand());
    } else {
        m_mode = 'O';
        m_pressed = second;
        m_outPressed = 1;
        Post(ZoomOutCommand());
    }
    RedrawPressed();
}

void CZoomButton::OnLButtonDown(UINT flags, CPoint point)
{
    CBaseWin::OnLButtonDown(flags, point);
    ::SetCapture(m_hWnd);
    m_state = 1;
    Repeat(point);
    StartTimer();
}

void CZoomButton::OnLButtonDblClk(UINT, CPoint point)
{
    Repeat(point);
    StartTimer();
}

void CZoomButton::OnMouseMove(UINT, CPoint point)
{
    int* flag = m_mode == 'I' ? &m_inPressed : m_mode == 'O' ? &m_outPressed : nullptr;
    if (!flag)
        return;
    int inside = ::PtInRect(&m_pressed, point) ? 1 : 0;
    if (inside != *flag) {
        *flag = inside;
        RedrawPressed();
    }
}

void CZoomButton::OnTimer(UINT_PTR)
{
    if (m_inPressed)
        Post(ZoomInCommand());
    else if (m_outPressed)
        Post(ZoomOutCommand());
}

void CZoomButton::Release()
{
    m_inPressed = m_outPressed = 0;
    m_mode = ' ';
    ::InvalidateRect(m_hWnd, &m_pressed, FALSE);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    m_state = 0;
    if (m_timer) {
        ::KillTimer(m_hWnd, m_timer);
        m_timer = 0;
    }
}

void CZoomButton::OnLButtonUp(UINT, CPoint)
{
    Release();
}

void CZoomButton::OnCancelMode()
{
    Release();
}

BOOL CZoomButton::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

namespace {
void Frame3d(HDC dc, RECT r, int topLeft, int bottomRight)
{
    HBRUSH a = ::GetSysColorBrush(topLeft), b = ::GetSysColorBrush(bottomRight);
    RECT top{r.left, r.top, r.right - 1, r.top + 1}, left{r.left, r.top, r.left + 1, r.bottom - 1};
    RECT bottom{r.left, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, r.top, r.right, r.bottom};
    ::FillRect(dc, &top, a);
    ::FillRect(dc, &left, a);
    ::FillRect(dc, &bottom, b);
    ::FillRect(dc, &right, b);
}

void DrawSquare(CDC* dc, RECT square, bool pressed, int image, int x, int y)
{
    if (pressed) {
        Frame3d(dc->m_hDC, square, COLOR_BTNSHADOW, COLOR_3DHIGHLIGHT);
        ++x, ++y;
    } else {
        Frame3d(dc->m_hDC, square, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
        ::InflateRect(&square, -1, -1);
        Frame3d(dc->m_hDC, square, COLOR_3DHIGHLIGHT, COLOR_BTNSHADOW);
    }
    DrawSkinImage(dc, image, x, y);
}
} // namespace

void CZoomButton::OnPaint()
{
    CPaintDC paint(m_hWnd);
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    ::FillRect(paint.m_hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    CSize glyph = GetSkinImageSize(kSkinZoomIn);
    RECT first = r, second = r;
    int x1, y1, x2, y2;
    if (m_time) {
        first.right = r.left + 16;
        second.left = first.right;
        second.right = second.left + 16;
        x1 = r.left + ((r.right - r.left) / 2 - glyph.cx) / 2;
        x2 = x1 + 16;
        y1 = y2 = r.top + (r.bottom - glyph.cy - r.top) / 2;
    } else {
        first.bottom = r.top + 16;
        second.top = first.bottom;
        second.bottom = second.top + 16;
        x1 = x2 = r.left + (r.right - glyph.cx - r.left) / 2;
        y1 = r.top + ((r.bottom - r.top) / 2 - glyph.cy) / 2;
        y2 = y1 + 16;
    }
    DrawSquare(&paint, second, m_outPressed != 0, kSkinZoomOut, x2, y2);
    DrawSquare(&paint, first, m_inPressed != 0, kSkinZoomIn, x1, y1);
}
