#include "NyMiniFrame.h"

#include <cstdlib>

IMPLEMENT_DYNCREATE(CNyMiniFrame, CMiniFrameWnd)

BEGIN_MESSAGE_MAP(CNyMiniFrame, CMiniFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_NCPAINT()
    ON_WM_NCACTIVATE()
    ON_MESSAGE(WM_FLOATSTATUS, OnFloatStatus)
    ON_WM_NCCALCSIZE()
    ON_WM_NCHITTEST()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONUP()
    ON_WM_NCMOUSEMOVE()
    ON_WM_MOUSEMOVE()
    ON_WM_NCLBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_GETMINMAXINFO()
    ON_WM_SETCURSOR()
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

CNyMiniFrame::CNyMiniFrame() : m_caption(new CaptionFrameHelper) {}

CNyMiniFrame::~CNyMiniFrame()
{
    delete m_caption;
}

void CNyMiniFrame::SetCaptionFlags(DWORD flags)
{
    m_caption->SetFlags(flags);
}

void CNyMiniFrame::SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight)
{
    m_caption->SetSizeLimits(minWidth, minHeight, maxWidth, maxHeight);
}

void CNyMiniFrame::GetSizeLimits(SIZE* minimum, SIZE* maximum)
{
    m_caption->GetSizeLimits(minimum, maximum);
}

void CNyMiniFrame::GetBorderSizes(int* left, int* top, int* right, int* bottom)
{
    POINT leftTop, rightBottom;
    m_caption->GetMargins(&leftTop, &rightBottom);
    if (left)
        *left = leftTop.x;
    if (top)
        *top = leftTop.y;
    if (right)
        *right = rightBottom.x;
    if (bottom)
        *bottom = rightBottom.y;
}

void CNyMiniFrame::InitCaption(DWORD flags)
{
    m_skinned = TRUE;
    SetCaptionFlags(flags);
    m_caption->Init("frame", flags);
    // The margins change with the skin: the client area is computed again at once.
    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CNyMiniFrame::SetPane(CWnd* pane)
{
    m_pane = pane;
    m_caption->AttachClient(pane);
}

void CNyMiniFrame::RestorePlacement(WINDOWPLACEMENT* placement)
{
    if (!placement)
        return;
    SIZE minimum, maximum;
    GetSizeLimits(&minimum, &maximum);
    RECT& r = placement->rcNormalPosition;
    if (minimum.cy > 0 && minimum.cy > r.bottom - r.top)
        r.bottom = r.top + minimum.cy;
    if (minimum.cx > 0 && minimum.cx > r.right - r.left)
        r.right = r.left + minimum.cx;
    if (minimum.cy == maximum.cy)
        r.bottom = r.top + minimum.cy;
    if (minimum.cx == maximum.cx)
        r.right = r.left + minimum.cx;
    placement->length = sizeof *placement;
    SetWindowPlacement(placement);
}

void CNyMiniFrame::ShowPane(WINDOWPLACEMENT* placement, BOOL rolledUp)
{
    RestorePlacement(placement);
    SetRolledUp(rolledUp);
}

int CNyMiniFrame::GetFullHeight() const
{
    RECT saved = m_caption->GetRestoreRect();
    if (IsRolledUp() && !::IsRectEmpty(&saved))
        return saved.bottom - saved.top;
    CRect window;
    GetWindowRect(&window);
    return window.Height();
}

void CNyMiniFrame::ToggleCompact()
{
    m_layout = !m_layout;
    RecalcFrameLayout();
}

BOOL CNyMiniFrame::OnCmdMsg(kvfw::CmdRequest& request)
{
    // The pane's view gets a command before the frame's own handlers.
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(child))
            if (wnd->OnCmdMsg(request))
                return TRUE;
    }
    return CMiniFrameWnd::OnCmdMsg(request);
}

BOOL CNyMiniFrame::PreTranslateMessage(MSG* msg)
{
    if (m_skinned && m_caption->FilterMessage(msg))
        return TRUE;
    return CMiniFrameWnd::PreTranslateMessage(msg);
}

int CNyMiniFrame::OnCreate(LPCREATESTRUCTA cs)
{
    int result = CMiniFrameWnd::OnCreate(cs);
    if (result != -1)
        m_caption->SetFrame(this);
    return result;
}

void CNyMiniFrame::OnClose()
{
    ShowWindow(SW_HIDE);
}

void CNyMiniFrame::OnSize(UINT type, int cx, int cy)
{
    CMiniFrameWnd::OnSize(type, cx, cy);
    if (m_pane && m_pane->m_hWnd)
        m_pane->SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER);
}

void CNyMiniFrame::OnPaint()
{
    // The pane covers the client area. BeginPaint validates this window alone; ValidateRect on
    // a frame without WS_CLIPCHILDREN would validate the pane's area too and it would never paint.
    CPaintDC paint(m_hWnd);
}

void CNyMiniFrame::OnNcPaint()
{
    if (!m_skinned) {
        Default();
        return;
    }
    m_caption->OnNcPaint(m_caption->GetCurrentCode());
}

BOOL CNyMiniFrame::OnNcActivate(BOOL active)
{
    if (!m_skinned)
        return CMiniFrameWnd::OnNcActivate(active);
    return m_caption->OnNcActivate(active);
}

LRESULT CNyMiniFrame::OnFloatStatus(WPARAM, LPARAM)
{
    if (!m_skinned)
        return Default();
    return 1;
}

void CNyMiniFrame::OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params)
{
    if (!m_skinned) {
        Default();
        return;
    }
    m_caption->OnNcCalcSize(calcValid, params);
}

LRESULT CNyMiniFrame::OnNcHitTest(CPoint point)
{
    if (!m_skinned)
        return CMiniFrameWnd::OnNcHitTest(point);
    return m_caption->OnNcHitTest(point.x, point.y);
}

// The caption object does the work of these through PreTranslateMessage.
void CNyMiniFrame::OnNcLButtonDown(UINT hitTest, CPoint point)
{
    if (!m_skinned)
        CMiniFrameWnd::OnNcLButtonDown(hitTest, point);
}

void CNyMiniFrame::OnNcLButtonUp(UINT hitTest, CPoint point)
{
    if (!m_skinned)
        CMiniFrameWnd::OnNcLButtonUp(hitTest, point);
}

void CNyMiniFrame::OnNcMouseMove(UINT hitTest, CPoint point)
{
    if (!m_skinned)
        CMiniFrameWnd::OnNcMouseMove(hitTest, point);
}

void CNyMiniFrame::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_skinned)
        CMiniFrameWnd::OnMouseMove(flags, point);
}

void CNyMiniFrame::OnNcLButtonDblClk(UINT hitTest, CPoint point)
{
    if (m_skinned)
        m_caption->OnNcLButtonDblClk();
    CMiniFrameWnd::OnNcLButtonDblClk(hitTest, point);
}

void CNyMiniFrame::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_skinned) {
        int code = m_caption->GetCurrentCode();
        if (code == kCaptionLayout1 || code == kCaptionLayout2)
            ToggleCompact();
        else if (code == kCaptionHelp)
            OnHelpButton();
        UpdateWindow();
    }
    CMiniFrameWnd::OnLButtonUp(flags, point);
}

void CNyMiniFrame::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CMiniFrameWnd::OnGetMinMaxInfo(info);
    if (!m_skinned || !info)
        return;
    SIZE minimum, maximum;
    GetSizeLimits(&minimum, &maximum);
    if (IsRolledUp()) {
        int top = 0;
        GetBorderSizes(nullptr, &top, nullptr, nullptr);
        minimum.cy = maximum.cy = top;
    }
    RECT reference = {};
    if (GetStyle() & WS_CHILD) {
        ::GetClientRect(::GetParent(m_hWnd), &reference);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &reference, 0);
    }
    if (maximum.cx < 0)
        maximum.cx = reference.right - reference.left;
    if (maximum.cy < 0)
        maximum.cy = reference.bottom - reference.top;
    minimum.cx = std::abs(minimum.cx);
    minimum.cy = std::abs(minimum.cy);
    info->ptMaxSize = {maximum.cx, maximum.cy};
    info->ptMaxPosition = {reference.left, reference.top};
    info->ptMinTrackSize = {minimum.cx, minimum.cy};
    info->ptMaxTrackSize = {maximum.cx, maximum.cy};
}

BOOL CNyMiniFrame::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (!m_skinned)
        return CMiniFrameWnd::OnSetCursor(wnd, hitTest, message);
    const char* cursor = IDC_ARROW;
    switch (hitTest) {
    case HTLEFT:
    case HTRIGHT:
        cursor = IDC_SIZEWE;
        break;
    case HTTOP:
    case HTBOTTOM:
        cursor = IDC_SIZENS;
        break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        cursor = IDC_SIZENWSE;
        break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        cursor = IDC_SIZENESW;
        break;
    default:
        break;
    }
    ::SetCursor(::LoadCursorA(nullptr, cursor));
    return TRUE;
}

void CNyMiniFrame::OnSysCommand(UINT id, LPARAM lParam)
{
    if (m_skinned)
        m_caption->OnNcPaint(kCaptionNothing);
    CMiniFrameWnd::OnSysCommand(id, lParam);
}
