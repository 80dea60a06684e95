// Where the pane classes, other areas' dialogs and the application's services join the main
// frame. Each function is the one place its part is named; until that part is in the program
// it answers as a program without it would (no pane, nothing to show, idle).
#include "MainFrame.h"
#include "MainFrameWiring.h"
#include "NyMiniFrame.h"
#include "SettingsCommands.h"

// Pane getters: the client window as its own class.
CVideoPreviewWnd* CMainFrame::GetVideoPreviewPane()
{
    EnsurePane(PaneKind::VideoPreview);
    return nullptr; // static_cast<CVideoPreviewWnd*>(EnsurePane(PaneKind::VideoPreview))
}

CNyControlView* CMainFrame::GetControllerPane()
{
    EnsurePane(PaneKind::Controller);
    return nullptr; // static_cast<CNyControlView*>(EnsurePane(PaneKind::Controller))
}

CSelectionControlDlg* CMainFrame::GetSelectionPane()
{
    EnsurePane(PaneKind::Selection);
    return nullptr; // static_cast<CSelectionControlDlg*>(EnsurePane(PaneKind::Selection))
}

CMarkerListDlg* CMainFrame::GetMarkerListPane()
{
    EnsurePane(PaneKind::MarkerList);
    return nullptr; // static_cast<CMarkerListDlg*>(EnsurePane(PaneKind::MarkerList))
}

CMixerView* CMainFrame::GetMixerPane()
{
    EnsurePane(PaneKind::Mixer);
    return nullptr; // static_cast<CMixerView*>(EnsurePane(PaneKind::Mixer))
}

CEffectPaletteView* CMainFrame::GetEffectLauncherPane()
{
    EnsurePane(PaneKind::EffectLauncher);
    return nullptr; // static_cast<CEffectPaletteView*>(EnsurePane(PaneKind::EffectLauncher))
}

// The frames: plain mini frames for three panes, the panes' own frame classes for the others
// (each created by its Create (parent); a failed one is deleted by the framework).
CNyMiniFrame* CMainFrame::CreatePaneFrame(PaneKind kind)
{
    switch (kind) {
    case PaneKind::VideoPreview:
    case PaneKind::Selection:
    case PaneKind::MarkerList:
        return CreatePlainPaneFrame(kind);
    case PaneKind::Controller:
        return nullptr; // CNyControlFrame
    case PaneKind::Mixer:
        return nullptr; // CNyMixerCtrlFrame
    case PaneKind::EffectLauncher:
        return nullptr; // CNyEffectFrame
    default:
        return nullptr;
    }
}

CWnd* CMainFrame::CreatePaneClient(PaneKind kind, CNyMiniFrame* frame)
{
    switch (kind) {
    case PaneKind::VideoPreview:
        return CreateChildClient(nullptr /* new CVideoPreviewWnd */, frame);
    case PaneKind::Controller:
        return CreateViewClient(nullptr /* new CNyControlView */, frame, 0x50010000);
    case PaneKind::Mixer:
        return CreateViewClient(nullptr /* new CMixerView */, frame, 0x52010000);
    case PaneKind::EffectLauncher:
        return CreateViewClient(nullptr /* new CEffectPaletteView */, frame, 0x52010000);
    case PaneKind::Selection:
        return CreateDialogClient(nullptr /* new CSelectionControlDlg */, 113, frame);
    case PaneKind::MarkerList:
        return CreateDialogClient(nullptr /* new CMarkerListDlg */, 114, frame);
    default:
        return nullptr;
    }
}

// CNyControlView::InitEngine (FALSE)
void CMainFrame::InitControllerEngine(CWnd* controller)
{
    (void)controller;
}

// CNyControlView::GetTransportState
HRESULT CMainFrame::ControllerTransportState(CWnd* controller, int* state)
{
    (void)controller;
    *state = 0;
    return S_OK;
}

// CNyControlView::IsRecording, IsPaused, IsPlaying
BOOL CMainFrame::ControllerIsRecording(CWnd* controller)
{
    (void)controller;
    return FALSE;
}

BOOL CMainFrame::ControllerIsPaused(CWnd* controller)
{
    (void)controller;
    return FALSE;
}

BOOL CMainFrame::ControllerIsPlaying(CWnd* controller)
{
    (void)controller;
    return FALSE;
}

// CNyControlView::ReloadDeviceSettings
void CMainFrame::ControllerReloadDeviceSettings(CWnd* controller)
{
    (void)controller;
}

// CMixerView::Rebuild
void CMainFrame::MixerRebuild(CWnd* mixer)
{
    (void)mixer;
}

// After a toggle shows a pane: CSelectionControlDlg::UpdateFromSelection, CMarkerListDlg::Refresh.
void CMainFrame::RefreshShownPane(PaneKind kind, CWnd* pane)
{
    (void)kind;
    (void)pane;
}

// The controller's active multitrack view, the mixer's attached view, the view the selection
// control and the marker list are bound to.
CView* CMainFrame::PaneBoundView(PaneKind kind, CWnd* pane)
{
    (void)kind;
    (void)pane;
    return nullptr;
}

namespace frame_wiring {

namespace {
BOOL g_asioInUse = FALSE;
}

void SetAsioInUse(BOOL inUse)
{
    g_asioInUse = inUse ? TRUE : FALSE;
}

BOOL AsioInUse()
{
    return g_asioInUse;
}

// CNyApp::GetProgressDialog, OpenProgressDialog (owner), CloseProgressDialog
CWnd* ProgressDialog()
{
    return nullptr;
}

void OpenProgressDialog(CWnd* owner)
{
    (void)owner;
}

void CloseProgressDialog() {}

// CNyApp::SaveLastFiles
void SaveLastFiles() {}

// CNyApp::ReopenDocument
void ReopenDocument() {}

// The application's pending-open parameters: open-as file type, current document type,
// split channels.
void SetPendingOpen(int fileType, int documentType)
{
    (void)fileType;
    (void)documentType;
}

void SetPendingSplitChannels(BOOL split)
{
    (void)split;
}

// The application's flag from CheckKgPTPModule at start-up.
BOOL HasCdWriter()
{
    return FALSE;
}

// StartAutoDemo
void StartAutoDemo() {}

// UpdateAnalysisPane (mode)
void UpdateAnalysisPane(int mode)
{
    (void)mode;
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

// CExtractCdDialog (no parent): DoModal
void RunExtractCdDialog() {}

// CBurnCdDialog (no parent): SetSourceView (source) when given, DoModal
void RunBurnCdDialog(CView* source)
{
    (void)source;
}

// CNyMultiTrackView::IsTransportIdle
BOOL IsViewTransportIdle(CView* view)
{
    (void)view;
    return TRUE;
}

// The view's playback start position is not negative.
BOOL IsPlayStartSet(CView* view)
{
    (void)view;
    return FALSE;
}

// CTrackAreaPane::InvalidateCaret (visible) of the view's track area
void InvalidateCaret(CView* view, BOOL visible)
{
    (void)view;
    (void)visible;
}

// CTrackAreaPane::DrawCaret of the view's track area
void DrawCaret(CView* view)
{
    (void)view;
}

// The view's video track pane
CWnd* VideoTrackPane(CView* view)
{
    (void)view;
    return nullptr;
}

} // namespace frame_wiring
