#include "NyApp.h"
#include "MainFrame.h"
#include "resource.h"

CNyApp::CNyApp() : CWinApp("KorvaneSound5 Tarn US") {}

BOOL CNyApp::InitInstance()
{
    // The frame deletes itself when its window goes, also when creating it fails.
    CMainFrame* frame = new CMainFrame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return FALSE;
    m_pMainWnd = frame;
    frame->ShowWindow(m_nCmdShow);
    frame->UpdateWindow();
    return TRUE;
}
