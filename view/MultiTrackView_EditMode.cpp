// The view's side of the fade and envelope handle modes: the mode word, the main menu of each
// mode, and the mode's commands, which the view hands to the document.
#include "MultiTrackView.h"

#include "EditModeHost.h"
#include "EditModeIds.h"
#include "EditModeRules.h"
#include "FwApp.h"
#include "FwDocTemplate.h"
#include "MultiTrackDoc.h"
#include "TrackAreaPane.h"
#include "ViewHost.h"

EditModeUi EditModeCommandUi(const EditModeState& state, int id)
{
    EditModeUi ui;
    if (state.mode == 0)
        return ui;
    if (id == ID_HANDLE_PREVIEW) {
        ui.enabled = true;
        return ui;
    }
    ui.enabled = !state.previewing;
    if (id == ID_HANDLE_FADE_IN || id == ID_HANDLE_FADE_OUT)
        ui.checked = state.direction == id;
    else if (id == ID_HANDLE_SINE || id == ID_HANDLE_LINEAR)
        ui.checked = state.curve == id;
    return ui;
}

namespace {

class NoEditModeHost final : public IEditModeHost {
public:
    HMENU GetModeMenu(int) override { return nullptr; }
    void InstallMenu(HMENU) override {}
    void ShowToolWindow(CNyMultiTrackView*, int, bool) override {}
    void RefreshToolWindow(CNyMultiTrackView*) override {}
    void DetachToolWindows(CNyMultiTrackView*) override {}
};

NoEditModeHost g_noHost;
IEditModeHost* g_host = nullptr;

EditModeState StateOf(CNyMultiTrackView* view)
{
    EditModeState state;
    state.mode = view->GetEditMode();
    if (CNyMultiTrackDoc* doc = view->GetMultiTrackDoc()) {
        state.previewing = doc->IsPreviewPlaying() != 0;
        doc->GetFadeMode(&state.direction, &state.curve);
    }
    return state;
}

bool Allowed(CNyMultiTrackView* view, int id)
{
    return EditModeCommandUi(StateOf(view), id).enabled;
}

// Space (Play/Stop) hands its item over to Preview: the rule of the id given, not the item's.
void ApplyUi(CNyMultiTrackView* view, CCmdUI* ui, int id, bool check)
{
    EditModeUi state = EditModeCommandUi(StateOf(view), id);
    ui->Enable(state.enabled);
    if (check)
        ui->SetCheck(state.checked);
}

} // namespace

void SetEditModeHost(IEditModeHost* host)
{
    g_host = host;
}

IEditModeHost& GetEditModeHost()
{
    return g_host ? *g_host : g_noHost;
}

int CNyMultiTrackView::SetEditMode(int mode)
{
    const int previous = m_editMode;
    m_editMode = mode;
    if (m_hWnd)
        ::DragAcceptFiles(m_hWnd, mode == 0);
    if (CNyMultiTrackDoc* doc = GetMultiTrackDoc())
        doc->RefreshController();
    return previous;
}

void CNyMultiTrackView::ShowEditMode(int toolMode, BOOL entering)
{
    if (!m_hWnd)
        return;
    RecalcLayout();
    Invalidate();
    UpdateMenuForEditMode();
    if (entering)
        m_trackArea.InvalidateCaret(0);
    else
        m_trackArea.RefreshCaret();
    GetEditModeHost().ShowToolWindow(this, toolMode == 2 ? 2 : 1, entering != FALSE);
    IViewHost& host = GetViewHost();
    host.EnableSelectionPanes(this, entering || IsTransportBusy());
    host.EnableControllerPanes(this, entering != FALSE);
}

void CNyMultiTrackView::UpdateMenuForEditMode()
{
    IEditModeHost& host = GetEditModeHost();
    HMENU menu = host.GetModeMenu(m_editMode == 1 || m_editMode == 2 ? m_editMode : 0);
    if (!menu)
        return;
    host.InstallMenu(menu);
    CWnd* main = AfxGetMainWnd();
    if (m_editMode != 0 || !main || !main->m_hWnd)
        return;
    // Edit, Effects, Special, Tools, Control and Window may have been greyed while a mode ran;
    // a maximized document window puts its icon in front of them.
    BOOL maximized = FALSE;
    HWND frame = ::GetParent(m_hWnd);
    if (HWND client = frame ? ::GetParent(frame) : nullptr)
        ::SendMessageA(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized));
    HMENU bar = ::GetMenu(main->m_hWnd);
    const UINT shift = maximized ? 1 : 0;
    for (UINT position : {1u, 3u, 4u, 5u, 6u, 7u})
        ::EnableMenuItem(bar, position + shift, MF_BYPOSITION | MF_ENABLED);
    ::DrawMenuBar(main->m_hWnd);
}

void CNyMultiTrackView::ActivateEditMode()
{
    CNyMultiTrackDoc* mine = GetMultiTrackDoc();
    CWinApp* app = AfxGetApp();
    POSITION pos = app ? app->GetFirstDocTemplatePosition() : nullptr;
    CDocTemplate* first = pos ? app->GetNextDocTemplate(pos) : nullptr;
    for (POSITION docPos = first ? first->GetFirstDocPosition() : nullptr; docPos;) {
        auto* doc = dynamic_cast<CNyMultiTrackDoc*>(first->GetNextDoc(docPos));
        ViewGeometry* view = doc && doc != mine ? doc->GetMultiTrackView() : nullptr;
        if (view && view->GetEditMode() != 0 && doc->IsPreviewPlaying())
            doc->StopFadePreview();
    }
    UpdateMenuForEditMode();
}

void CNyMultiTrackView::OnFadeExecute()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc || !Allowed(this, ID_HANDLE_EXECUTE))
        return;
    // The tracks change under the render: the area shows its last picture meanwhile.
    TrackAreaBackBufferGuard frozen(&m_trackArea);
    doc->EndHandleEditMode(TRUE);
}

void CNyMultiTrackView::OnFadeCancel()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (doc && Allowed(this, ID_HANDLE_CANCEL))
        doc->EndHandleEditMode(FALSE);
}

void CNyMultiTrackView::OnFadePreview()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc || !Allowed(this, ID_HANDLE_PREVIEW))
        return;
    if (doc->IsPreviewPlaying())
        doc->StopFadePreview();
    else
        doc->StartFadePreview();
}

void CNyMultiTrackView::OnResetHandles()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc || !Allowed(this, ID_HANDLE_RESET))
        return;
    int direction = 0, curve = 0;
    doc->GetFadeMode(&direction, &curve);
    SetFadeShape(direction, curve);
}

void CNyMultiTrackView::SetFadeShape(int direction, int curve)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    doc->SetFadeMode(direction, curve);
    doc->BuildFadeHandles(direction, curve);
    Invalidate();
    GetEditModeHost().RefreshToolWindow(this);
}

void CNyMultiTrackView::OnFadeIn()
{
    EditModeState state = StateOf(this);
    if (EditModeCommandUi(state, ID_HANDLE_FADE_IN).enabled)
        SetFadeShape(ID_HANDLE_FADE_IN, state.curve);
}

void CNyMultiTrackView::OnFadeOut()
{
    EditModeState state = StateOf(this);
    if (EditModeCommandUi(state, ID_HANDLE_FADE_OUT).enabled)
        SetFadeShape(ID_HANDLE_FADE_OUT, state.curve);
}

void CNyMultiTrackView::OnSine()
{
    EditModeState state = StateOf(this);
    if (EditModeCommandUi(state, ID_HANDLE_SINE).enabled)
        SetFadeShape(state.direction, ID_HANDLE_SINE);
}

void CNyMultiTrackView::OnLinear()
{
    EditModeState state = StateOf(this);
    if (EditModeCommandUi(state, ID_HANDLE_LINEAR).enabled)
        SetFadeShape(state.direction, ID_HANDLE_LINEAR);
}

void CNyMultiTrackView::OnUpdateFadeEditCommand(CCmdUI* ui)
{
    ApplyUi(this, ui, static_cast<int>(ui->m_nID), false);
}

void CNyMultiTrackView::OnUpdateFadePreview(CCmdUI* ui)
{
    ApplyUi(this, ui, ID_HANDLE_PREVIEW, false);
}

void CNyMultiTrackView::OnUpdateFadeIn(CCmdUI* ui)
{
    ApplyUi(this, ui, static_cast<int>(ui->m_nID), true);
}

void CNyMultiTrackView::OnUpdateFadeOut(CCmdUI* ui)
{
    ApplyUi(this, ui, static_cast<int>(ui->m_nID), true);
}

void CNyMultiTrackView::OnUpdateSine(CCmdUI* ui)
{
    ApplyUi(this, ui, static_cast<int>(ui->m_nID), true);
}

void CNyMultiTrackView::OnUpdateLinear(CCmdUI* ui)
{
    ApplyUi(this, ui, static_cast<int>(ui->m_nID), true);
}
