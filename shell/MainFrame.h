// CMainFrame: the program's single top-level window, an MDI frame.
#pragma once
#include "Framework.h"

class CMainFrame : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    // A second copy of the program finds the running one by this window class.
    static const char kWindowClass[];

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
};
