#include "HandleEditDialogs.h"

#include "EditModeIds.h"
#include "MultiTrackDoc.h"

BOOL HandleToolDialog::CreatePanel(CWnd* parent)
{
    return Create(m_nIDTemplate, parent);
}

CNyMultiTrackDoc* HandleToolDialog::Document() const
{
    return m_view ? dynamic_cast<CNyMultiTrackDoc*>(m_view->GetDocument()) : nullptr;
}

void HandleToolDialog::ShowPanel(BOOL show)
{
    if (!m_hWnd)
        return;
    ::ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE);
    if (show)
        ::SetFocus(m_hWnd);
}

BOOL HandleToolDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if (!lParam || id < ID_HANDLE_EXECUTE || id > ID_HANDLE_LINEAR)
        return CDialog::OnCommand(wParam, lParam);
    if (HIWORD(wParam) != BN_CLICKED)
        return TRUE;
    if (id == ID_HANDLE_PREVIEW) {
        if (CNyMultiTrackDoc* doc = Document()) {
            if (doc->IsPreviewPlaying())
                doc->StopFadePreview();
            else
                doc->StartFadePreview();
        }
        return TRUE;
    }
    // As from the menu: the view's update handlers decide whether the command runs.
    if (m_view && m_view->m_hWnd)
        m_view->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return TRUE;
}

void HandleToolDialog::OnCancel()
{
    if (m_view && m_view->m_hWnd)
        m_view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HANDLE_CANCEL, 0), 0);
}

FadeToolDialog::FadeToolDialog() : HandleToolDialog(IDD_FADE_TOOL) {}

void FadeToolDialog::ShowPanel(BOOL show)
{
    if (show && m_hWnd) {
        ::CheckRadioButton(m_hWnd, ID_HANDLE_FADE_IN, ID_HANDLE_FADE_OUT, ID_HANDLE_FADE_IN);
        ::CheckRadioButton(m_hWnd, ID_HANDLE_SINE, ID_HANDLE_LINEAR, ID_HANDLE_LINEAR);
        // The curve drawn follows the buttons.
        if (m_view && m_view->m_hWnd) {
            m_view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HANDLE_FADE_IN, 0), 0);
            m_view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HANDLE_LINEAR, 0), 0);
        }
    }
    HandleToolDialog::ShowPanel(show);
}

FadeHandleDialog::FadeHandleDialog() : HandleToolDialog(IDD_FADE_HANDLE) {}
