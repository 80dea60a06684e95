#include "HandleEditDialogs.h"

#include "EditModeIds.h"
#include "MultiTrackDoc.h"

BOOL HandleToolDialog::CreatePanel(CWnd* parent)
{
    if (!Create(m_nIDTemplate, parent))
        return FALSE;
    // Clear of the menu and the tool bar, beside the tracks' start.
    RECT owner{}, own{};
    if (parent && parent->m_hWnd && ::GetWindowRect(parent->m_hWnd, &owner) && ::GetWindowRect(m_hWnd, &own))
        ::SetWindowPos(m_hWnd, nullptr, owner.right - (own.right - own.left) - 32, owner.top + 120, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
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
    // The curve starts over from Fade In and Linear; the view tells the buttons (ShowShape).
    if (show && m_view && m_view->m_hWnd) {
        m_view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HANDLE_FADE_IN, 0), 0);
        m_view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HANDLE_LINEAR, 0), 0);
    }
    ShowShape();
    HandleToolDialog::ShowPanel(show);
}

void FadeToolDialog::ShowShape()
{
    CNyMultiTrackDoc* doc = Document();
    if (!m_hWnd || !doc)
        return;
    int direction = 0, curve = 0;
    doc->GetFadeMode(&direction, &curve);
    ::CheckRadioButton(m_hWnd, ID_HANDLE_FADE_IN, ID_HANDLE_FADE_OUT, direction);
    ::CheckRadioButton(m_hWnd, ID_HANDLE_SINE, ID_HANDLE_LINEAR, curve);
}

FadeHandleDialog::FadeHandleDialog() : HandleToolDialog(IDD_FADE_HANDLE) {}
