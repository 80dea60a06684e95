// The progress dialog slots: the start-up one, and one an operation opens for its owner.
#include "NyApp.h"

#include "ProgressDlg.h"

CProgressDlg* CNyApp::GetProgressDialog()
{
    return m_operationProgress ? m_operationProgress.get() : m_startupProgress.get();
}

BOOL CNyApp::OpenProgressDialog(CWnd* owner)
{
    auto dialog = std::make_unique<CProgressDlg>();
    if (!dialog->Create(CProgressDlg::IDD, owner))
        return FALSE;
    m_operationProgress = std::move(dialog);
    return TRUE;
}

void CNyApp::CloseProgressDialog()
{
    if (m_operationProgress && m_operationProgress->m_hWnd)
        m_operationProgress->DestroyWindow();
    m_operationProgress.reset();
}
