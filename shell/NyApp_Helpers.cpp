// Small services of the application object: Exit's update, the About box, the active
// document.
#include "NyApp.h"

#include "AboutDlg.h"
#include "MultiTrackView.h"
#include "ViewPaneLink.h"

void CNyApp::OnUpdateAppExit(CCmdUI* cmdUI)
{
    if (IsEngineBusy()) {
        cmdUI->Enable(FALSE);
        return;
    }
    POSITION pos = GetFirstDocTemplatePosition();
    auto* docTemplate = pos ? dynamic_cast<CMultiDocTemplate*>(GetNextDocTemplate(pos)) : nullptr;
    for (POSITION doc = docTemplate ? docTemplate->GetFirstDocPosition() : nullptr; doc;) {
        if (DocumentViewIsBusy(docTemplate->GetNextDoc(doc))) {
            cmdUI->Enable(FALSE);
            return;
        }
    }
    cmdUI->Enable(TRUE);
}

// A view of the document in a fade-handle mode or holding a drag.
bool CNyApp::DocumentViewIsBusy(CDocument* document)
{
    for (POSITION pos = document ? document->GetFirstViewPosition() : nullptr; pos;)
        if (IsViewBusy(dynamic_cast<CNyMultiTrackView*>(document->GetNextView(pos))))
            return true;
    return false;
}

void CNyApp::OnAppAbout()
{
    CAboutDlg about;
    about.DoModal();
}

CDocument* GetActiveFrameDocument()
{
    CWinApp* app = AfxGetApp();
    auto* main = app ? dynamic_cast<CFrameWnd*>(app->m_pMainWnd) : nullptr;
    CFrameWnd* active = main ? main->GetActiveFrame() : nullptr;
    return active ? active->GetActiveDocument() : nullptr;
}
