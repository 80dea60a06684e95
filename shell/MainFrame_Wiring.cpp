// Where the pane classes, other areas' dialogs and the application's services join the main
// frame. Each function is the one place its part is named; until that part is in the program
// it answers as a program without it would (no pane, nothing to show, idle).
#include "MainFrame.h"
#include "DocumentHost.h"
#include "EffectPaletteView.h"
#include "EffectProgramHost.h"
#include "MainFrameWiring.h"
#include "MarkerListDlg.h"
#include "MixerView.h"
#include "MultiTrackView.h"
#include "NyControlFrame.h"
#include "NyControlView.h"
#include "NyEffectFrame.h"
#include "NyMiniFrame.h"
#include "NyApp.h"
#include "NyMixerCtrlFrame.h"
#include "ProgramHosts.h"
#include "PanesIds.h"
#include "ProgressDlg.h"
#include "SelectionControlDlg.h"
#include "ViewHost.h"
#include "ViewPaneLink.h"
#include "VideoPreviewWnd.h"
#include "SettingsCommands.h"
#include "AdvancedSettingsDialog.h"
#include "SplitToFilesDialog.h"

// Pane getters: the client window as its own class.
CVideoPreviewWnd* CMainFrame::GetVideoPreviewPane()
{
    return dynamic_cast<CVideoPreviewWnd*>(EnsurePane(PaneKind::VideoPreview));
}

CNyControlView* CMainFrame::GetControllerPane()
{
    // Stand-in panes of other classes (tests) are no such pane.
    return dynamic_cast<CNyControlView*>(EnsurePane(PaneKind::Controller));
}

CSelectionControlDlg* CMainFrame::GetSelectionPane()
{
    // Stand-in panes of other classes (tests) are no such pane.
    return dynamic_cast<CSelectionControlDlg*>(EnsurePane(PaneKind::Selection));
}

CMarkerListDlg* CMainFrame::GetMarkerListPane()
{
    // Stand-in panes of other classes (tests) are no such pane.
    return dynamic_cast<CMarkerListDlg*>(EnsurePane(PaneKind::MarkerList));
}

CMixerView* CMainFrame::GetMixerPane()
{
    // Stand-in panes of other classes (tests) are no such pane.
    return dynamic_cast<CMixerView*>(EnsurePane(PaneKind::Mixer));
}

CEffectPaletteView* CMainFrame::GetEffectLauncherPane()
{
    // Stand-in panes of other classes (tests) are no such pane.
    return dynamic_cast<CEffectPaletteView*>(EnsurePane(PaneKind::EffectLauncher));
}

// The frames: plain mini frames for three panes; the controller's and the mixer's creation
// functions make their own frame and client together (the client is then the frame's pane).
// A frame whose window fails is deleted by the framework.
CNyMiniFrame* CMainFrame::CreatePaneFrame(PaneKind kind)
{
    switch (kind) {
    case PaneKind::VideoPreview:
    case PaneKind::Selection:
    case PaneKind::MarkerList:
        return CreatePlainPaneFrame(kind);
    case PaneKind::Controller:
        return CreateControllerPane(this);
    case PaneKind::Mixer:
        return CreateMixerPane(this);
    case PaneKind::EffectLauncher: {
        auto* frame = new CNyEffectFrame;
        // A frame whose window fails is deleted by the framework already.
        return frame->Create(this) ? frame : nullptr;
    }
    default:
        return nullptr;
    }
}

CWnd* CMainFrame::CreatePaneClient(PaneKind kind, CNyMiniFrame* frame)
{
    switch (kind) {
    case PaneKind::VideoPreview:
        return CreateChildClient(new CVideoPreviewWnd, frame);
    case PaneKind::EffectLauncher:
        return CreateViewClient(new CEffectPaletteView, frame, 0x52010000);
    case PaneKind::Controller:
    case PaneKind::Mixer:
        return frame->GetPane();
    case PaneKind::Selection:
        return CreateDialogClient(new CSelectionControlDlg, IDD_SELECTION_CONTROL, frame);
    case PaneKind::MarkerList:
        return CreateDialogClient(new CMarkerListDlg, IDD_MARKER_LIST, frame);
    default:
        return nullptr;
    }
}

// CreateControllerPane made the controller's engine already.
void CMainFrame::InitControllerEngine(CWnd* controller)
{
    (void)controller;
}

namespace {
CNyControlView* AsController(CWnd* pane)
{
    return dynamic_cast<CNyControlView*>(pane);
}
} // namespace

// The engine's state: 1 stopped, 2 playing, 3 recording.
HRESULT CMainFrame::ControllerTransportState(CWnd* controller, int* state)
{
    *state = 0;
    CNyControlView* c = AsController(controller);
    if (!c)
        return S_OK;
    LONG engineState = 0;
    HRESULT hr = c->GetTransportState(&engineState);
    *state = engineState;
    return hr;
}

BOOL CMainFrame::ControllerIsRecording(CWnd* controller)
{
    CNyControlView* c = AsController(controller);
    return c && c->IsRecording();
}

BOOL CMainFrame::ControllerIsPaused(CWnd* controller)
{
    CNyControlView* c = AsController(controller);
    return c && c->IsPaused();
}

BOOL CMainFrame::ControllerIsPlaying(CWnd* controller)
{
    CNyControlView* c = AsController(controller);
    return c && c->IsPlaying();
}

void CMainFrame::ControllerReloadDeviceSettings(CWnd* controller)
{
    if (CNyControlView* c = AsController(controller))
        c->ReloadDeviceSettings();
}

void CMainFrame::MixerRebuild(CWnd* mixer)
{
    if (auto* m = dynamic_cast<CMixerView*>(mixer))
        m->Rebuild();
}

// After a toggle shows a pane.
void CMainFrame::RefreshShownPane(PaneKind kind, CWnd* pane)
{
    if (kind == PaneKind::Selection) {
        if (auto* selection = dynamic_cast<CSelectionControlDlg*>(pane))
            selection->UpdateFromSelection();
    } else if (kind == PaneKind::MarkerList) {
        if (auto* markers = dynamic_cast<CMarkerListDlg*>(pane))
            markers->Refresh();
    }
}

// The controller's active multitrack view, the mixer's attached view, the view the selection
// control and the marker list are bound to.
CView* CMainFrame::PaneBoundView(PaneKind kind, CWnd* pane)
{
    ControllerViewLink* link = nullptr;
    if (kind == PaneKind::Controller) {
        if (CNyControlView* c = AsController(pane))
            link = c->GetActiveView();
    } else if (kind == PaneKind::Mixer) {
        if (auto* m = dynamic_cast<CMixerView*>(pane))
            link = m->GetView();
    } else if (kind == PaneKind::Selection) {
        if (auto* selection = dynamic_cast<CSelectionControlDlg*>(pane))
            link = selection->GetView();
    } else if (kind == PaneKind::MarkerList) {
        if (auto* markers = dynamic_cast<CMarkerListDlg*>(pane))
            link = markers->GetView();
    }
    return ViewOfPaneLink(link);
}

// A new pane meets the others: the controller and the mixer know each other, the controller
// knows the panes it disables while the transport runs; the active multitrack view takes the
// new pane on as it would on activation.
void CMainFrame::ConnectPane(PaneKind kind, CWnd* pane)
{
    (void)pane;
    CNyControlView* controller = AsController(HeldPane(PaneKind::Controller));
    auto* mixer = dynamic_cast<CMixerView*>(HeldPane(PaneKind::Mixer));
    if (controller) {
        controller->SetMixerView(mixer);
        controller->SetTransportPanes(HeldPane(PaneKind::Selection), HeldPane(PaneKind::MarkerList));
    }
    if (mixer)
        mixer->SetController(controller);
    CMDIChildWnd* child = MDIGetActive();
    if (kind == PaneKind::EffectLauncher)
        if (auto* launcher = dynamic_cast<CEffectPaletteView*>(pane))
            launcher->SetActiveView(dynamic_cast<CNyMultiTrackView*>(child ? child->GetActiveView() : nullptr));
    if (auto* preview = dynamic_cast<CVideoPreviewWnd*>(pane); preview && kind == PaneKind::VideoPreview)
        preview->SetActiveView(dynamic_cast<CNyMultiTrackView*>(child ? child->GetActiveView() : nullptr));
    if (kind == PaneKind::VideoPreview || kind == PaneKind::EffectLauncher)
        return;
    if (auto* view = dynamic_cast<CNyMultiTrackView*>(child ? child->GetActiveView() : nullptr)) {
        view->AttachToolWindows(1);
        GetViewHost().AttachToolPanes(view);
        // A pane made after the view's activation (the marker list at its first show) is
        // enabled as that activation would have left it.
        if (kind == PaneKind::Selection || kind == PaneKind::MarkerList)
            EnableSelectionPanesForView(view, GetDocumentHost().IsTransportBusy() || view->GetEditMode() != 0);
    }
}

namespace frame_wiring {

namespace {
BOOL g_asioInUse = FALSE;

// The effect dialogs' progress dialog, error box and launcher: the application's and the
// main frame's.
class EffectProgram final : public IEffectProgramHost {
public:
    HWND OpenProgressDialog(CWnd* owner) override
    {
        CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp());
        if (!app || !app->OpenProgressDialog(owner))
            return nullptr;
        CProgressDlg* dialog = app->GetProgressDialog();
        return dialog ? dialog->m_hWnd : nullptr;
    }
    void CloseProgressDialog() override
    {
        if (CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp()))
            app->CloseProgressDialog();
    }
    void WaitForHandle(HANDLE handle) override
    {
        CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp());
        if (CProgressDlg* dialog = app ? app->GetProgressDialog() : nullptr; dialog && dialog->m_hWnd)
            dialog->WaitForHandle(handle);
        else
            WaitDispatching(handle);
    }
    void ShowErrorBox(HRESULT code, const char* caption, UINT icon) override
    {
        if (CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp()))
            app->ShowErrorBox(code, caption, nullptr, icon);
    }
    // The launcher when it is there; one made later refreshes itself.
    CEffectPaletteView* GetEffectLauncher() override
    {
        auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
        return frame ? dynamic_cast<CEffectPaletteView*>(frame->HeldPane(PaneKind::EffectLauncher)) : nullptr;
    }
    static EffectProgram& Instance()
    {
        static EffectProgram program;
        return program;
    }
};
} // namespace

// The file divider's page, in Advanced Settings without its mix choice (a split is a mix).
void RunSplitAdvancedSettings(CWnd* parent, IPropertyPage* page)
{
    AdvancedSettingsDialog dialog(parent);
    dialog.SetSourceObject(page);
    dialog.m_mixGroupShown = 0;
    dialog.DoModal();
}

void InstallEffects()
{
    InstallEffectDialogs(&EffectProgram::Instance());
    SetSplitAdvancedSettingsRunner(&RunSplitAdvancedSettings);
}

void RemoveEffects()
{
    RemoveEffectDialogs();
}

void SetAsioInUse(BOOL inUse)
{
    g_asioInUse = inUse ? TRUE : FALSE;
}

BOOL AsioInUse()
{
    return g_asioInUse;
}

CWnd* ProgressDialog()
{
    CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp());
    return app ? app->GetProgressDialog() : nullptr;
}

void OpenProgressDialog(CWnd* owner)
{
    if (CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp()))
        app->OpenProgressDialog(owner);
}

void CloseProgressDialog()
{
    if (CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp()))
        app->CloseProgressDialog();
}

void SaveLastFiles()
{
    if (CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp()))
        app->SaveLastFiles();
}

void ReopenDocument()
{
    if (CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp()))
        app->ReopenDocument();
}

// The application's pending-open parameters: open-as file type, current document type,
// split channels.
void SetPendingOpen(int fileType, int documentType)
{
    if (CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp())) {
        app->m_openAsFileType = fileType;
        app->m_currentDocumentType = documentType;
    }
}

void SetPendingSplitChannels(BOOL split)
{
    if (CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp()))
        app->m_splitChannels = split ? 1 : 0;
}

// The application's flag from CheckKgPTPModule.
BOOL HasCdWriter()
{
    CNyApp* app = dynamic_cast<CNyApp*>(AfxGetApp());
    return app && app->IsCdWriterPresent();
}

// StartAutoDemo
void StartAutoDemo() {}

void UpdateAnalysisPane(int mode)
{
    ::UpdateAnalysisPane(mode);
}

// CNyEnvSheet (title 20281, parent, start page): DoModal; on IDOK SaveValues with the wait
// cursor, whose answer tells whether drawing changed.
int RunSettingsSheet(CWnd* parent, int startPage, BOOL* accepted, BOOL* redraw)
{
    // The sheet saves on OK and repaints the views itself when a change needs it.
    const SettingsSheetRun run = ::RunSettingsSheet(parent, startPage);
    *accepted = run.accepted;
    *redraw = FALSE;
    return run.lastPage;
}

// CExtractCdDialog: ProgramCdHost.cpp.

// CBurnCdDialog: ProgramCdHost.cpp.

BOOL IsViewTransportIdle(CView* view)
{
    auto* multiTrack = dynamic_cast<CNyMultiTrackView*>(view);
    return !multiTrack || multiTrack->IsTransportIdle();
}

// The view's playback start position is not negative.
BOOL IsPlayStartSet(CView* view)
{
    auto* multiTrack = dynamic_cast<CNyMultiTrackView*>(view);
    return multiTrack && multiTrack->GetSavedPlayStart() >= 0;
}

void InvalidateCaret(CView* view, BOOL visible)
{
    if (auto* multiTrack = dynamic_cast<CNyMultiTrackView*>(view))
        multiTrack->InvalidateCaret(visible ? 1 : 0);
}

// CTrackAreaPane::DrawCaret of the view's track area
void DrawCaret(CView* view)
{
    if (auto* multiTrack = dynamic_cast<CNyMultiTrackView*>(view))
        multiTrack->GetTrackArea().DrawCaret();
}

// The view's video track pane
CWnd* VideoTrackPane(CView* view)
{
    auto* multiTrack = dynamic_cast<CNyMultiTrackView*>(view);
    return multiTrack ? &multiTrack->GetVideoTrackPane() : nullptr;
}

} // namespace frame_wiring
