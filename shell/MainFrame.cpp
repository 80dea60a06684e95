#include "MainFrame.h"
#include "resource.h"

const char CMainFrame::kWindowClass[] = "KorvaneSound FrameWnd";

IMPLEMENT_DYNCREATE(CMainFrame, CMDIFrameWnd)

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CMDIFrameWnd::PreCreateWindow(cs))
        return FALSE;
    // No background brush: the MDI client covers the whole client area.
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    if (!AfxRegisterClass(&wc))
        return FALSE;
    cs.lpszClass = kWindowClass;
    return TRUE;
}
