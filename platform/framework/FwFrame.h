// Frame windows. CFrameWnd holds control bars and one active view, lays them out, loads its
// menu, icon, accelerators and title from one resource id (LoadFrame), routes commands
// (active view -> its document -> this frame -> application) and runs command-UI: menus on
// WM_INITMENUPOPUP, bars at idle. CMDIFrameWnd adds the MDI client and asks its active
// CMDIChildWnd first; CMiniFrameWnd is a tool-window frame for floating panes.
#pragma once
#include "FwWnd.h"
#include "FwDocTemplate.h"
#include "FwResource.h"
#include <vector>

class CView;
class CDocument;
class CControlBar;
class CMDIChildWnd;

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd() = default;

    // Loads title (first field of string resourceId), menu, icon and accelerators of resourceId
    // and creates the window; the context's view class, when given, becomes the client view.
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, CWnd* parent = nullptr,
                           CCreateContext* context = nullptr);
    virtual BOOL Create(const char* className, const char* title, DWORD style = WS_OVERLAPPEDWINDOW,
                        const RECT& rect = CRect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0), CWnd* parent = nullptr,
                        const char* menuName = nullptr, DWORD exStyle = 0, CCreateContext* context = nullptr);

    virtual CView* GetActiveView() const { return m_pViewActive; }
    virtual void SetActiveView(CView* view, BOOL notify = TRUE);
    virtual CDocument* GetActiveDocument();
    // The frame whose view is active: itself, or the active MDI child of an MDI frame.
    virtual CFrameWnd* GetActiveFrame() { return this; }
    virtual void ActivateFrame(int cmdShow = -1);
    virtual void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);
    CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);

    // Places the visible control bars along the edges and the client (view or MDI client) in the rest.
    virtual void RecalcLayout(BOOL notify = TRUE);
    virtual void OnUpdateFrameTitle(BOOL addToTitle);
    void UpdateFrameTitleForDocument(const char* docName);
    virtual void OnUpdateFrameMenu(HMENU menuAlt);
    const CString& GetTitle() const { return m_strTitle; }
    void SetTitle(const char* title) { m_strTitle = title ? title : ""; }

    // Control bars, laid out in the order they were created
    CControlBar* GetControlBar(UINT id) const;
    void AddControlBar(CControlBar* bar);
    void RemoveControlBar(CControlBar* bar);
    void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay = FALSE);
    void EnableDocking(DWORD) {} // bars stay docked at their edge
    void DockControlBar(CControlBar* bar)
    {
        (void)bar;
        RecalcLayout();
    }
    // Bar visibility in the profile section (e.g. "ToolBars\State"), one value per bar id.
    void SaveBarState(const char* section) const;
    void LoadBarState(const char* section);
    void SetMessageText(const char* text);
    void SetMessageText(UINT stringId);

    // Modal state: disables the frame (and its floating panes) while a modal loop of our own runs.
    void BeginModalState();
    void EndModalState();
    BOOL InModalState() const { return m_modalCount > 0; }
    // A top-level frame disabled by someone else (a modal dialog or message box it owns) disables
    // its floating frames with it, and enables them again with itself.
    void OnEnable(BOOL enable);

    // Updates bars and the title; sent to every descendant at idle.
    void OnIdleUpdateCmdUI();

    BOOL OnCmdMsg(kvfw::CmdRequest& request) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void PostNcDestroy() override;
    virtual BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context);
    // TRUE for a frame that lives inside another frame's routing (an MDI child).
    virtual BOOL IsChildFrame() const { return FALSE; }

    int OnCreate(LPCREATESTRUCTA cs);
    void OnClose();
    // Log-off: the main frame asks every modified document to be saved (FALSE keeps the session
    // going when the user cancels) and, when the session really ends, closes the documents
    // (the application's own exit work is its WM_ENDSESSION business).
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL ending);
    void OnDestroy();
    void OnNcDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnSetFocus(CWnd* oldWnd);
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);
    BOOL OnEraseBkgnd(CDC* dc);
    LRESULT OnIdleUpdateMessage(WPARAM, LPARAM);
    void OnUpdateKeyIndicator(CCmdUI* cmdUI);
    void OnUpdateControlBarMenu(CCmdUI* cmdUI);
    BOOL OnBarCheck(UINT id);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Shows the prompt of the menu item under the cursor (first part of its string) in the status bar.
    void OnMenuSelect(UINT id, UINT flags, HMENU menu);
    // The main frame is the shell's DDE server (see CWinApp::EnableShellOpen).
    LRESULT OnDDEInitiate(WPARAM client, LPARAM atoms);
    LRESULT OnDDEExecute(WPARAM client, LPARAM data);
    LRESULT OnDDETerminate(WPARAM client, LPARAM);

    HMENU m_hMenuDefault = nullptr;
    HACCEL m_hAccelTable = nullptr;
    int m_nWindow = 0;             // window number among the frames of one document, 0 when alone
    BOOL m_bAutoMenuEnable = TRUE; // menu items without a handler are greyed

protected:
    // Fills the client rectangle left after the bars (the view, or the MDI client).
    virtual void LayoutClient(const CRect& rect);
    CView* m_pViewActive = nullptr;
    std::vector<CControlBar*> m_controlBars;
    CString m_strTitle;
    CString m_strTitleShown; // caption last set by UpdateFrameTitleForDocument
    UINT m_nIDResource = 0;
    CCreateContext* m_pPendingContext = nullptr;
    int m_modalCount = 0;
    std::vector<HWND> m_disabledByModal;
    std::vector<HWND> m_disabledWithFrame; // floating frames disabled while this frame is
    DECLARE_MESSAGE_MAP()
};

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    HWND m_hWndMDIClient = nullptr;

    CMDIChildWnd* MDIGetActive(BOOL* maximized = nullptr) const;
    void MDIActivate(CWnd* child);
    void MDINext() { ::SendMessageA(m_hWndMDIClient, WM_MDINEXT, 0, 0); }
    void MDICascade() { ::SendMessageA(m_hWndMDIClient, WM_MDICASCADE, 0, 0); }
    void MDITile(int how = MDITILE_HORIZONTAL)
    {
        ::SendMessageA(m_hWndMDIClient, WM_MDITILE, static_cast<WPARAM>(how), 0);
    }
    void MDIIconArrange() { ::SendMessageA(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0); }
    // The popup of the menu that lists the MDI windows ("&Window", else the one before last).
    virtual HMENU GetWindowMenuPopup(HMENU menuBar);

    CFrameWnd* GetActiveFrame() override;
    BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context) override;
    void OnUpdateFrameMenu(HMENU menuAlt) override;
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    BOOL OnCmdMsg(kvfw::CmdRequest& request) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    void OnWindowNew();
    void OnMDIWindowCmd(UINT id);
    void OnUpdateMDIWindowCmd(CCmdUI* cmdUI);

protected:
    void LayoutClient(const CRect& rect) override;
    DECLARE_MESSAGE_MAP()
};

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    HMENU m_hMenuShared = nullptr; // the frame menu while this child is active

    BOOL LoadFrame(UINT resourceId, DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* parent = nullptr, CCreateContext* context = nullptr) override;
    BOOL Create(const char* className, const char* title, DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                const RECT& rect = CRect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0), CWnd* parent = nullptr,
                const char* menuName = nullptr, DWORD exStyle = 0, CCreateContext* context = nullptr) override;
    CMDIFrameWnd* GetMDIFrame() const;
    void MDIActivate();
    void MDIDestroy() { DestroyWindow(); }
    void MDIMaximize();
    void MDIRestore();

    BOOL DestroyWindow() override;
    void ActivateFrame(int cmdShow = -1) override;
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    BOOL IsChildFrame() const override { return TRUE; }
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    LRESULT OnMDIActivateMessage(WPARAM deactivated, LPARAM activated);
    void OnDestroy();

protected:
    DECLARE_MESSAGE_MAP()
};

// A frame with a small caption (tool window) for floating panes.
class CMiniFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMiniFrameWnd)
public:
    virtual BOOL Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent = nullptr,
                        UINT id = 0);
    virtual BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                          CWnd* parent = nullptr, UINT id = 0);
    BOOL IsChildFrame() const override { return FALSE; }

protected:
    DECLARE_MESSAGE_MAP()
};

namespace kvfw {
// A keyboard message the frames may translate as an accelerator: not a key typed into an edit
// control without Ctrl or Alt (a letter, space, Delete or Home there edits the text; function
// keys stay accelerators).
bool IsAcceleratorKey(const MSG* msg);
} // namespace kvfw
