// CMainFrame: the program's single top-level window, an MDI frame with one tool bar, one status
// bar and the floating tool panes. Its operations are split by topic:
//   MainFrame.cpp            creation, window messages (progress, idle timer, drops, clipboard)
//   MainFrame_Panes.cpp      pane getters, first placement, arranging, enabling per view
//   MainFrame_Placement.cpp  layout values, close rules, end of session, destruction
//   MainFrame_Commands.cpp   pane toggles, settings, CD, recording mixer, help, menus
//   MainFrame_Wiring.cpp     where pane classes, dialogs and application services join
//   MainFrame_HandleTools.cpp the tool windows of the fade and envelope handle modes
//
// Each pane is created on its first request inside a mini frame and placed from its saved
// value, else next to the main window; a getter gives null when the pane cannot be created,
// and every caller treats null as "no such pane".
#pragma once
#include "Framework.h"
#include "PanePlacement.h"

class CNyMiniFrame;
class CVideoPreviewWnd;
class CEffectPaletteView;
class CNyControlView;
class CSelectionControlDlg;
class CMarkerListDlg;
class CMixerView;

class CMainFrame : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    // A second copy of the program finds the running one by this window class.
    static const char kWindowClass[];
    static const UINT kIdleTimerId = 454;
    static const UINT kIdleTimerMs = 500;

    // Pane getters: create the pane on the first call; null when it cannot be created.
    CVideoPreviewWnd* GetVideoPreviewPane();
    CNyControlView* GetControllerPane();
    CSelectionControlDlg* GetSelectionPane();
    CMarkerListDlg* GetMarkerListPane();
    CMixerView* GetMixerPane();
    CEffectPaletteView* GetEffectLauncherPane();
    CWnd* GetAuxWindowA() { return m_auxWindowA; }
    CWnd* GetAuxWindowB() { return m_auxWindowB; }
    // The envelope mode's (slot 0, A) or fade mode's (slot 1, B) tool window, created hidden on
    // first use (MainFrame_HandleTools.cpp); null when it cannot be.
    CWnd* EnsureAuxWindow(int slot);
    // The pane's client window, created when missing; null when it cannot be.
    CWnd* EnsurePane(PaneKind kind);
    // The pane's client window when it exists (never creates one).
    CWnd* HeldPane(PaneKind kind) const { return m_panes[static_cast<int>(kind)]; }
    // The mini frame around a pane's client, or null.
    CNyMiniFrame* PaneFrame(PaneKind kind) const;

    // Moves the pane of the command id (-1: every existing pane) next to the main window.
    void ArrangeFloatingPanes(int commandId);
    // Arranges together the panes made without a saved place since the last call, so that
    // each of a first start's panes gets a place of its own.
    void ArrangeNewPanes();
    // Puts the shown pane frames back above this window without activating anything.
    void RaiseFloatingPanes();
    void EnableSelectionPanesForView(CView* view, BOOL disable);
    void EnableControllerPanesForView(CView* view, BOOL disable);
    // Installs the menu as the frame's and every MDI child's shared menu.
    void RefreshMenuBar(HMENU menu);
    BOOL IsEngineRunning();
    BOOL IsTransportActive();
    BOOL IsRecordingActive();
    virtual void RestartIdleTimer();
    BOOL IsIdleTimerRunning() const { return m_idleTimer != 0; }
    BOOL IsApplicationActive() const { return m_appActive; }

    // Close rules: FALSE while the engine runs or a view edits fade handles.
    BOOL CanEndSession();
    int RunSettingsSheet(int startPage);
    void ResizeMixerPane(BOOL asioInUse);
    CPoint GetToolBarButtonPoint(CToolBar& bar, UINT commandId);
    CToolBar& GetToolBar() { return m_toolBar; }
    CStatusBar& GetStatusBar() { return m_statusBar; }
    // The active child's stored title; empty without one.
    CString GetDocumentTitle();

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    BOOL DestroyWindow() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Window messages
    int OnCreate(LPCREATESTRUCTA cs);
    void OnClose();
    BOOL OnQueryEndSession();
    LRESULT OnProgressMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnOpenProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnUpdateProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnCdExtractProgress(WPARAM done, LPARAM total);
    LRESULT OnReopenDocument(WPARAM, LPARAM);
    void OnActivateApp(BOOL active, DWORD threadId);
    void OnTimer(UINT_PTR id);
    void OnDropFiles(HDROP drop);
    void OnDestroyClipboard();
    void OnPaletteChanged(CWnd* changer);
    BOOL OnQueryNewPalette();
    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnNcLButtonDown(UINT hitTest, CPoint point);
    void OnInitMenu(HMENU menu);
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);

    // Commands
    void OnTogglePane(UINT commandId);
    void OnUpdateTogglePane(CCmdUI* cmdUI);
    void OnFrequencyAnalysis();
    void OnAutoDemo();
    void OnUpdateFrequencyAnalysis(CCmdUI* cmdUI);
    void OnSettings();
    void OnAudioDeviceSettings();
    void OnUpdateSettings(CCmdUI* cmdUI);
    void OnExtractCd();
    void OnUpdateExtractCd(CCmdUI* cmdUI);
    void OnBurnCd(UINT commandId);
    void OnUpdateBurnCd(CCmdUI* cmdUI);
    void OnRecordingControl();
    void OnUpdateViewEnvelopes(CCmdUI* cmdUI);
    void OnOpenMultichannel();
    void OnUpdateOpenMultichannel(CCmdUI* cmdUI);
    void OnHelpContents();
    void OnHelpOnline();

protected:
    // Wiring points: where each pane class joins the frame. Each returns null (or the answer of
    // a program without that pane) while the class is not in the program.
    virtual CNyMiniFrame* CreatePaneFrame(PaneKind kind);
    virtual CWnd* CreatePaneClient(PaneKind kind, CNyMiniFrame* frame);
    virtual void InitControllerEngine(CWnd* controller);
    virtual HRESULT ControllerTransportState(CWnd* controller, int* state);
    virtual BOOL ControllerIsRecording(CWnd* controller);
    virtual BOOL ControllerIsPaused(CWnd* controller);
    virtual BOOL ControllerIsPlaying(CWnd* controller);
    virtual void ControllerReloadDeviceSettings(CWnd* controller);
    virtual void MixerRebuild(CWnd* mixer);
    virtual void RefreshShownPane(PaneKind kind, CWnd* pane);
    // The view a pane is bound to (controller: its active view; mixer: its attached view).
    virtual CView* PaneBoundView(PaneKind kind, CWnd* pane);
    // A pane just created joins the others and the active view.
    virtual void ConnectPane(PaneKind kind, CWnd* pane);

    // Client creation helpers for CreatePaneClient: each takes a new object (null gives null)
    // and cleans up after a failure; the framework already deleted a view whose window failed.
    static CWnd* CreateViewClient(CView* view, CNyMiniFrame* frame, DWORD style);
    static CWnd* CreateChildClient(CWnd* wnd, CNyMiniFrame* frame);
    static CWnd* CreateDialogClient(CDialog* dialog, UINT templateId, CNyMiniFrame* frame);
    // A plain skinned mini frame (video preview, selection control, marker list).
    CNyMiniFrame* CreatePlainPaneFrame(PaneKind kind);

private:
    void CreateToolBarImages();
    void SetPaneSizeLimits(PaneKind kind, CNyMiniFrame* frame, CWnd* client);
    void PlaceNewPane(PaneKind kind, CNyMiniFrame* frame);
    // Arranges the existing panes whose bit (1 << kind) is in mask.
    void ArrangePanes(unsigned mask);
    void SavePanePlacements();
    // The dialog's answer; 0 without a progress dialog.
    LRESULT ForwardToProgressDialog(UINT message, WPARAM wParam, LPARAM lParam);
    // Every CNyMultiTrackView of every document of the first template.
    void ForEachMultiTrackView(const std::function<void(CView*)>& action);
    BOOL AnyViewBusy();
    void ShowCaret(BOOL visible);
    void FillControlMenu(HMENU popup);

    CStatusBar m_statusBar;
    CToolBar m_toolBar;
    CWnd* m_panes[kPaneKindCount] = {};
    unsigned m_panesWithoutPlace = 0; // bits by PaneKind
    CWnd* m_auxWindowA = nullptr;
    CWnd* m_auxWindowB = nullptr;
    CObArray m_ownedObjects;
    int m_lastSettingsPage = 0;
    UINT_PTR m_idleTimer = 0;
    BOOL m_appActive = FALSE;
    HIMAGELIST m_disabledImages = nullptr;
    HIMAGELIST m_normalImages = nullptr; // made here when the tool bar had no list of its own

    DECLARE_MESSAGE_MAP()
};

// Sends message 0x40A with the code to the main window (1 open, 2 progress, 4/5/6 end), the
// text "Processing..." at position 0; the frame hands it to the progress dialog.
void SendCdProgress(int code);
