// The program's answers to the multitrack view and the document's command handlers: the
// controller and the mixer of the main frame behind the view's transport and level calls,
// the tool panes attached to the active view, the application's error box, progress dialog,
// in-place edit and new documents.
#include "VideoPreviewWnd.h"
#include "ProgramHosts.h"

#include "EffectPaletteView.h"
#include "KvSSException.h"
#include "MainFrame.h"
#include "MainFrameWiring.h"
#include "MarkerListDlg.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyAnalizeWnd.h"
#include "NyApp.h"
#include "NyControlView.h"
#include "NyException.h"
#include "ProgressDlg.h"
#include "SelectionControlDlg.h"
#include "SelectionModel.h"
#include "ViewPaneLink.h"

#include <cstring>

namespace {

CMainFrame* MainFrame()
{
    CWinApp* app = AfxGetApp();
    return app ? dynamic_cast<CMainFrame*>(app->m_pMainWnd) : nullptr;
}

CNyApp* App()
{
    return dynamic_cast<CNyApp*>(AfxGetApp());
}

template <class Pane>
Pane* Held(PaneKind kind)
{
    CMainFrame* frame = MainFrame();
    auto* pane = frame ? dynamic_cast<Pane*>(frame->HeldPane(kind)) : nullptr;
    return pane && pane->m_hWnd ? pane : nullptr;
}

// The controller's failures leave it as CNyException; the view catches CKvSSException.
template <class Action>
void Transport(Action action)
{
    try {
        action();
    } catch (const CNyException& e) {
        throw CKvSSException(e.m_hr);
    }
}

class ControllerForView final : public IViewController {
public:
    CNyControlView* c = nullptr;

    HRESULT GetEngineState(LONG* state) override { return c->GetEngineState(state); }
    HRESULT GetPlayPosition(int64_t* position) override { return c->GetPlayPosition(position); }
    int GetBusyState() override { return c->GetPlayStatus(); }
    bool IsPlaying() override { return c->IsPlaying(); }
    bool IsPaused() override { return c->IsPaused(); }
    bool IsRecording() override { return c->IsRecording(); }
    bool IsRecordWhilePlaying() override { return c->IsRecordWhilePlaying(); }
    bool HasRecordingTake() override { return c->IsRecording() || c->IsResumedRecording(); }
    bool CanStop() override { return c->CanStop(); }
    bool CanRecord() override { return c->CanRecord(); }
    bool CanPause() override { return c->CanPause(); }
    bool CanLoop() override { return c->CanLoop(); }
    bool CanToggleAutomation() override { return c->CanToggleAutomation(); }
    bool CanRecordWhilePlaying() override { return c->CanRecordWhilePlaying(); }
    bool CanGoToMarker() override { return c->CanGoToMarker(); }
    void Play() override
    {
        Transport([this] { c->Play(); });
    }
    void Stop() override
    {
        Transport([this] { c->Stop(); });
    }
    void Pause() override
    {
        Transport([this] { c->Pause(); });
    }
    void Record() override
    {
        Transport([this] { c->Record(); });
    }
    void ToggleLoop() override
    {
        Transport([this] { c->ToggleLoop(); });
    }
    void ToggleReadAutomation() override
    {
        Transport([this] { c->ToggleReadAutomation(); });
    }
    void ToggleWriteAutomation() override
    {
        Transport([this] { c->ToggleWriteAutomation(); });
    }
    void ToggleRecordWhilePlaying() override
    {
        Transport([this] { c->ToggleRecordWhilePlaying(); });
    }
    void PreviousMarker() override
    {
        Transport([this] { c->PreviousMarker(); });
    }
    void NextMarker() override
    {
        Transport([this] { c->NextMarker(); });
    }
    void Rewind() override
    {
        Transport([this] { c->Rewind(); });
    }
    void FastForward() override
    {
        Transport([this] { c->FastForward(); });
    }
    void StopWinding() override { c->StopWinding(); }
    void WindFromKey(bool backward) override
    {
        Transport([this, backward] { c->WindFromKey(backward); });
    }
    void ShowCounter(int64_t position) override
    {
        // While the shuttle winds its steps own the counter: what is heard lags them by the
        // output's buffering, and each step starts from the last one.
        if (c->GetWindDirection() != 0)
            return;
        c->SetCounterPosition(position);
        if (!c->m_hWnd)
            return;
        CClientDC dc(c->m_hWnd);
        c->DrawCounter(&dc);
    }
    CNyMultiTrackView* GetActiveView() override { return ViewOfPaneLink(c->GetActiveView()); }
    void SetActiveView(CNyMultiTrackView* view) override { c->SetActiveView(PaneLinkOf(view)); }
    void UpdateDisplay() override { c->UpdateDisplay(); }
};

class MixerForView final : public IViewMixer {
public:
    CMixerView* m = nullptr;

    CNyMultiTrackView* GetView() override { return ViewOfPaneLink(m->GetView()); }
    void SetView(CNyMultiTrackView* view) override { m->SetView(PaneLinkOf(view)); }
    void Rebuild() override { m->Rebuild(); }
    void InvalidateAll() override { m->InvalidateAll(); }
    void StartMeterTimer() override { m->StartMeterTimer(); }
    void WriteAutomation() override
    {
        m->WriteStripAutomation(0, -1);
        m->WriteStripAutomation(1, -1);
    }
    void ReadAutomation() override
    {
        m->RefreshStripValues(-1);
        m->SyncStripsToPosition(-1);
    }
};

// The views of a document that are multitrack views.
template <class Action>
void ForEachView(CNyMultiTrackDoc* document, Action action)
{
    if (!document)
        return;
    for (POSITION pos = document->GetFirstViewPosition(); pos;)
        if (auto* view = dynamic_cast<CNyMultiTrackView*>(document->GetNextView(pos)))
            if (view->m_hWnd)
                action(view);
}

class ProgramHosts final : public IViewHost, public DocWiring::Host {
public:
    IViewHost* previous = nullptr;

    // IViewHost
    IViewController* GetController() override
    {
        m_controller.c = HeldController();
        return m_controller.c ? &m_controller : nullptr;
    }
    IViewMixer* GetMixer() override
    {
        m_mixer.m = HeldMixer();
        return m_mixer.m ? &m_mixer : nullptr;
    }
    void EnableSelectionPanes(CNyMultiTrackView* view, bool disable) override
    {
        if (CMainFrame* frame = MainFrame())
            frame->EnableSelectionPanesForView(view, disable);
    }
    void EnableControllerPanes(CNyMultiTrackView* view, bool disable) override
    {
        if (CMainFrame* frame = MainFrame())
            frame->EnableControllerPanesForView(view, disable);
    }
    void AttachToolPanes(CNyMultiTrackView* view) override
    {
        ControllerViewLink* link = PaneLinkOf(view);
        if (CSelectionControlDlg* selection = HeldSelectionPane()) {
            selection->SetView(link);
            selection->UpdateFromSelection();
        }
        if (CMarkerListDlg* markers = HeldMarkerList(); markers && markers->GetView() != link)
            markers->SetView(link);
        if (CMixerView* mixer = HeldMixer(); mixer && mixer->GetView() != link)
            mixer->SetView(link);
        if (auto* launcher = Held<CEffectPaletteView>(PaneKind::EffectLauncher))
            launcher->SetActiveView(view);
        if (CNyAnalizeWnd* analysis = HeldAnalysisPane())
            analysis->SetView(view);
        if (CVideoPreviewWnd* preview = HeldVideoPreview())
            preview->SetActiveView(view);
    }
    void RefreshSelectionPane(CNyMultiTrackView* view) override
    {
        if (CSelectionControlDlg* selection = HeldSelectionPane(); selection && selection->GetView() == PaneLinkOf(view))
            selection->UpdateFromSelection();
    }
    void DetachToolPanes(CNyMultiTrackView* view) override
    {
        ControllerViewLink* link = PaneLinkOf(view);
        if (CSelectionControlDlg* selection = HeldSelectionPane(); selection && selection->GetView() == link)
            selection->SetView(nullptr);
        if (CMarkerListDlg* markers = HeldMarkerList(); markers && markers->GetView() == link)
            markers->SetView(nullptr);
        if (auto* launcher = Held<CEffectPaletteView>(PaneKind::EffectLauncher); launcher && launcher->GetActiveView() == view)
            launcher->SetActiveView(nullptr);
        if (CNyAnalizeWnd* analysis = HeldAnalysisPane(); analysis && analysis->GetView() == view)
            analysis->SetView(nullptr);
        if (CVideoPreviewWnd* preview = HeldVideoPreview();
            preview && preview->Pane() == &view->GetVideoTrackPane())
            preview->SetActiveView(nullptr);
    }
    void ShowErrorBox(HRESULT code, const char* caption) override
    {
        if (CNyApp* app = App())
            app->ShowErrorBox(code, caption, nullptr, MB_ICONEXCLAMATION);
    }
    bool IsReadAutomation() override { return CNyControlView::IsReadAutomation(); }
    bool IsWriteAutomation() override { return CNyControlView::IsWriteAutomation(); }
    void SetReadAutomation(bool on) override
    {
        if (CNyApp* app = App())
            app->SetReadAutomation(on ? 1 : 0);
    }
    void SetWriteAutomation(bool on) override
    {
        if (CNyApp* app = App())
            app->SetWriteAutomation(on ? 1 : 0);
    }
    void UpdateAllDocuments() override
    {
        if (CNyApp* app = App())
            app->UpdateAllDocuments();
    }
    void UpdateAnalysisAndEffects() override
    {
        UpdateAnalysisPane(0);
        if (auto* launcher = Held<CEffectPaletteView>(PaneKind::EffectLauncher))
            launcher->UpdateRows();
    }
    void AnalyzeAt(CNyMultiTrackView* view, int64_t position) override
    {
        CNyAnalizeWnd* analysis = HeldAnalysisPane();
        if (analysis && analysis->GetView() == view && ::IsWindowVisible(::GetParent(analysis->m_hWnd)))
            analysis->Analyze(position);
    }
    void RunRecordingTimerDialog() override { previous->RunRecordingTimerDialog(); }
    void RunPropertiesDialog(CNyMultiTrackView* view, int track) override
    {
        previous->RunPropertiesDialog(view, track);
    }
    void BeginLabelEdit(CNyMultiTrackView* view, int labelId) override { previous->BeginLabelEdit(view, labelId); }
    void RefreshMarkerList(int entry) override
    {
        if (CMarkerListDlg* markers = HeldMarkerList()) {
            markers->Refresh();
            if (entry >= 0)
                markers->SelectItem(entry);
        }
    }
    void OpenProgress(CNyMultiTrackView* view, const char* title) override
    {
        CNyApp* app = App();
        if (!app)
            return;
        m_progressOwned = false;
        if (!app->GetProgressDialog()) {
            if (!app->OpenProgressDialog(view ? static_cast<CWnd*>(view) : MainFrame()))
                return;
            m_progressOwned = true;
        }
        m_progressRecord = {};
        lstrcpynA(m_progressRecord.text, title ? title : "", sizeof m_progressRecord.text);
        CProgressDlg* dialog = app->GetProgressDialog();
        dialog->ResetCancel();
        dialog->OnOpenProgress(reinterpret_cast<WPARAM>(&m_progressRecord), 0);
        m_progressOpen = true;
    }
    bool UpdateProgress(int percent) override
    {
        CNyApp* app = App();
        CProgressDlg* dialog = app && m_progressOpen ? app->GetProgressDialog() : nullptr;
        if (!dialog)
            return false;
        m_progressRecord.position = static_cast<UINT>(percent);
        dialog->OnUpdateProgress(reinterpret_cast<WPARAM>(&m_progressRecord), 0);
        return dialog->IsCancelled() != FALSE;
    }
    void CloseProgress(bool) override
    {
        CNyApp* app = App();
        CProgressDlg* dialog = app && m_progressOpen ? app->GetProgressDialog() : nullptr;
        m_progressOpen = false;
        if (!dialog)
            return;
        dialog->OnCloseProgress(0, 0);
        if (m_progressOwned)
            app->CloseProgressDialog();
        m_progressOwned = false;
    }
    HRESULT QueryFileInfo(const char* path, FileInfoRecord* info) override
    {
        return previous->QueryFileInfo(path, info);
    }
    HRESULT GetProjectChannels(const char* path, int* channels) override
    {
        return previous->GetProjectChannels(path, channels);
    }
    HRESULT ImportFile(CNyMultiTrackDoc* doc, const char* path, int splitChannels, IEditCommand** command) override
    {
        return previous->ImportFile(doc, path, splitChannels, command);
    }

    // DocWiring::Host (RefreshMarkerList above answers both)
    void SelectLastMarker() override
    {
        // Selected and focused as the list's entry only: the keyboard stays where it was, so a
        // new cue's name editor keeps it and Space still reaches the view.
        if (CMarkerListDlg* markers = HeldMarkerList())
            markers->SelectItemClamped(-1);
    }
    BOOL IsInPlaceEditActive() override
    {
        CNyApp* app = App();
        return app ? app->IsInPlaceEditActive(nullptr) : FALSE;
    }
    void EndInPlaceEdit() override
    {
        if (CNyApp* app = App())
            app->EndInPlaceEdit();
    }
    CNyMultiTrackDoc* CreateNewDocument() override
    {
        CNyApp* app = App();
        return app ? dynamic_cast<CNyMultiTrackDoc*>(app->CreateNewDocument()) : nullptr;
    }
    void RefreshViews(CNyMultiTrackDoc* document, UINT refreshId) override;
    void UpdateAnalysisPane(int64_t resetKey) override { ::UpdateAnalysisPane(int(resetKey)); }
    void FreezeViews(CNyMultiTrackDoc* document, BOOL freeze) override;

private:
    ControllerForView m_controller;
    MixerForView m_mixer;
    ProgressMessageRecord m_progressRecord{};
    bool m_progressOpen = false;
    bool m_progressOwned = false;
};

// A view after a command of its document: scroll bars, what moved into sight, the edit mark,
// the selection's area, the status text.
void ProgramHosts::RefreshViews(CNyMultiTrackDoc* document, UINT refreshId)
{
    ForEachView(document, [refreshId](CNyMultiTrackView* view) {
        CSelectionModel* selection = view->GetSelection();
        int64_t s = 0, e = 0;
        if (selection)
            selection->GetOrderedSelection(&s, &e);
        view->InvalidateCaret(0);
        view->RecalcLayout();
        switch (refreshId) {
        case 1009: // pasted into an empty document
            view->ZoomToFit(0, 0);
            break;
        case 1027:
        case 1028:
            if (selection)
                selection->SetSelection(s, e, TRUE);
            break;
        default:
            break;
        }
        view->UpdateScrollBars();
        if (refreshId == 1025 || refreshId == 57635) {
            int64_t first = 0, last = 0;
            view->GetVisibleRange(&first, &last);
            if (s < first || s > last)
                view->EnsureSampleVisible(s);
        } else if (refreshId == 1026 || refreshId == 57637 || refreshId == 1009) {
            view->EnsureSampleVisible(e);
        } else if (selection && (refreshId == ID_EDIT_UNDO || refreshId == ID_EDIT_REDO)) {
            // Undo shows where the undone edit ended, Redo where the redone one starts.
            int64_t start = 0, end = 0;
            selection->GetSelection(&start, &end);
            view->EnsureSampleVisible(refreshId == ID_EDIT_UNDO ? end : start);
        }
        view->SetEditPosition(-1);
        view->UpdateStatusText();
        view->Invalidate();
        view->InvalidateCaret(1);
    });
}

// While long operations change the tracks the views do not paint half-changed data.
void ProgramHosts::FreezeViews(CNyMultiTrackDoc* document, BOOL freeze)
{
    ForEachView(document, [freeze](CNyMultiTrackView* view) {
        view->SendMessage(WM_SETREDRAW, freeze ? FALSE : TRUE, 0);
        if (!freeze)
            ::RedrawWindow(view->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    });
}

ProgramHosts g_hosts;
bool g_installed = false;

} // namespace

CNyControlView* HeldController()
{
    return Held<CNyControlView>(PaneKind::Controller);
}

CMixerView* HeldMixer()
{
    return Held<CMixerView>(PaneKind::Mixer);
}

CSelectionControlDlg* HeldSelectionPane()
{
    return Held<CSelectionControlDlg>(PaneKind::Selection);
}

CMarkerListDlg* HeldMarkerList()
{
    return Held<CMarkerListDlg>(PaneKind::MarkerList);
}

CNyAnalizeWnd* HeldAnalysisPane()
{
    return Held<CNyAnalizeWnd>(PaneKind::Analysis);
}

void UpdateAnalysisPane(int resetKey)
{
    CNyAnalizeWnd* analysis = HeldAnalysisPane();
    if (analysis && ::IsWindowVisible(::GetParent(analysis->m_hWnd)))
        analysis->Refresh(resetKey);
}

CVideoPreviewWnd* HeldVideoPreview()
{
    return Held<CVideoPreviewWnd>(PaneKind::VideoPreview);
}

void InstallProgramHosts()
{
    if (g_installed)
        return;
    g_hosts.previous = &GetViewHost();
    SetViewHost(&g_hosts);
    DocWiring::SetHost(&g_hosts);
    InstallEditModeHost();
    frame_wiring::InstallEffects();
    g_installed = true;
}

void RemoveProgramHosts()
{
    if (!g_installed)
        return;
    SetViewHost(g_hosts.previous);
    DocWiring::SetHost(nullptr);
    RemoveEditModeHost();
    frame_wiring::RemoveEffects();
    g_installed = false;
}
