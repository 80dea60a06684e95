// CWnd: a window object. One static window procedure finds the object (attached when the window
// is created, or by SubclassWindow) and hands each message to its message map; a message without
// a handler, or a handler that calls Default(), gets the default processing.
//
//   class CMyWnd : public CWnd { ... void OnSize(UINT type, int cx, int cy); DECLARE_MESSAGE_MAP() };
//   BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//       ON_WM_SIZE()
//   END_MESSAGE_MAP()
//
// The ON_WM_ macros below crack each message once into the handler named after the message.
#pragma once
#include "FwCmdTarget.h"
#include "FwDC.h"
#include <shellapi.h>

#include <memory>

class CFrameWnd;
class CMenu;

// Framework-private messages (the range 0x0360-0x037F is reserved for application frameworks).
const UINT WM_IDLEUPDATECMDUI = 0x0363; // wParam: disable items without handlers
const UINT WM_INITIALUPDATE = 0x0364;   // first update of views after a document is loaded
// Sent by a floating tool frame to its owner's other floating frames so that they show active
// captions together; a frame that draws its own caption answers 1 and skips that handling.
const UINT WM_FLOATSTATUS = 0x036D;

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Object lookup. FromHandle gives a temporary object for a window without one; temporaries
    // live until the application's next idle time.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Creation
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                        UINT id, void* createParam = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, void* createParam = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU idOrMenu, void* createParam = nullptr);
    virtual BOOL DestroyWindow();

    // Message processing
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void PostNcDestroy() {}
    // Client rectangle -> window rectangle. The frame asks its view with adjustType 0 when it lays
    // the view into the space the bars leave; a view may override it to place its border.
    virtual void CalcWindowRect(RECT* rect, UINT adjustType = 0);
    LRESULT Default();
    // Dispatches one message through the message map; FALSE when nobody handled it.
    BOOL DispatchWindowMessage(kvfw::WindowMessage& message);
    const MSG* GetCurrentMessage() const { return &m_currentMsg; }

    // Thin wrappers
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageA(m_hWnd, msg, wp, lp); }
    void SendMessageToDescendants(UINT msg, WPARAM wp = 0, LPARAM lp = 0, BOOL deep = TRUE) const;
    // The message to each descendant that has an object of this framework (the only windows that
    // answer its private messages), in no set order; found without asking the system for the
    // window tree, which under Wine costs a server round trip a window.
    void SendMessageToObjectDescendants(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    BOOL IsChild(const CWnd* wnd) const { return wnd && ::IsChild(m_hWnd, wnd->m_hWnd); }
    void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
    void MoveWindow(const RECT& r, BOOL repaint = TRUE)
    {
        MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
    }
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, after ? after->m_hWnd : nullptr, x, y, cx, cy, flags);
    }
    void GetClientRect(RECT* r) const { ::GetClientRect(m_hWnd, r); }
    void GetWindowRect(RECT* r) const { ::GetWindowRect(m_hWnd, r); }
    void ClientToScreen(POINT* p) const { ::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(RECT* r) const;
    void ScreenToClient(POINT* p) const { ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(RECT* r) const;
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* r, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, r, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void SetRedraw(BOOL redraw = TRUE) { SendMessage(WM_SETREDRAW, redraw, 0); }
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text ? text : ""); }
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    void GetDlgItemText(int id, CString& text) const;
    void SetDlgItemText(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text ? text : ""); }
    UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE) const
    {
        return ::GetDlgItemInt(m_hWnd, id, ok, isSigned);
    }
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
    void CheckRadioButton(int first, int last, int check) { ::CheckRadioButton(m_hWnd, first, last, check); }
    int GetCheckedRadioButton(int first, int last) const;
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) const
    {
        return ::SendDlgItemMessageA(m_hWnd, id, msg, wp, lp);
    }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
    CWnd* GetTopLevelParent() const;
    // The nearest frame window above this window (the top-level one when topLevel is TRUE).
    CFrameWnd* GetParentFrame() const;
    CFrameWnd* GetTopLevelFrame() const;
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr)
    {
        return ::SetTimer(m_hWnd, id, elapse, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    BOOL SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw = TRUE)
    {
        info->cbSize = sizeof *info;
        return ::SetScrollInfo(m_hWnd, bar, info, redraw);
    }
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const
    {
        info->cbSize = sizeof *info;
        info->fMask = mask;
        return ::GetScrollInfo(m_hWnd, bar, info);
    }
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    BOOL SetMenu(HMENU menu) { return ::SetMenu(m_hWnd, menu); }
    void DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
    void CenterWindow(CWnd* alternateOwner = nullptr);
    void DragAcceptFiles(BOOL accept = TRUE) { ::DragAcceptFiles(m_hWnd, accept); }
    BOOL GetWindowPlacement(WINDOWPLACEMENT* wp) const
    {
        wp->length = sizeof *wp;
        return ::GetWindowPlacement(m_hWnd, wp);
    }
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* wp) { return ::SetWindowPlacement(m_hWnd, wp); }
    CWnd* GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    // Runs update handlers for the child controls (dialog bars, modeless dialogs).
    void UpdateDialogControls(CCmdTarget* target, BOOL disableIfNoHandler);

    // Typed handlers; each default calls Default().
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnNcDestroy();
    void OnClose();
    void OnSize(UINT type, int cx, int cy);
    void OnMove(int x, int y);
    void OnPaint();
    void OnNcPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnTimer(UINT_PTR id);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    void OnMButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    void OnHScroll(UINT code, UINT pos, CWnd* scrollBar);
    void OnVScroll(UINT code, UINT pos, CWnd* scrollBar);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnNcLButtonDown(UINT hitTest, CPoint point);
    void OnNcLButtonDblClk(UINT hitTest, CPoint point);
    LRESULT OnNcHitTest(CPoint point);
    void OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params);
    BOOL OnNcActivate(BOOL active);
    void OnNcMouseMove(UINT hitTest, CPoint point);
    void OnNcLButtonUp(UINT hitTest, CPoint point);
    UINT OnGetDlgCode();
    void OnActivate(UINT state, CWnd* other, BOOL minimized);
    void OnActivateApp(BOOL active, DWORD threadId);
    void OnDropFiles(HDROP drop);
    void OnContextMenu(CWnd* wnd, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnInitMenu(HMENU menu);
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);
    void OnMenuSelect(UINT id, UINT flags, HMENU menu);
    void OnShowWindow(BOOL show, UINT status);
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType);
    void OnCaptureChanged(CWnd* wnd);
    void OnWindowPosChanged(WINDOWPOS* pos);
    void OnWindowPosChanging(WINDOWPOS* pos);
    void OnPaletteChanged(CWnd* focusWnd);
    BOOL OnQueryNewPalette();
    void OnDestroyClipboard();
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL ending);
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnCancelMode();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis);
    void OnEnable(BOOL enable);
    BOOL OnNcCreate(LPCREATESTRUCTA cs);   // FALSE stops the creation
    void OnSizing(UINT side, LPRECT rect); // rect (screen) may be changed by the handler
    BOOL OnDeviceChange(UINT event, DWORD_PTR data);
    void OnMButtonUp(UINT flags, CPoint point);

protected:
    const kvfw::MessageMap* GetMessageMap() const override;

public:
    static const kvfw::MessageMap* GetThisMessageMap();

    // The window procedure of every framework window (usable in classes registered by callers).
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // The object whose window is being created on this thread (attached at its first message).
    static void SetPendingCreate(CWnd* wnd);
    static CWnd* GetPendingCreate();

protected:
    WNDPROC m_previousProc = nullptr; // set for subclassed windows
    MSG m_currentMsg = {};
    kvfw::WindowMessage* m_current = nullptr;
    // True while the object lives. A handler may end the window and with it the object (a pane
    // that deletes itself); the dispatch code holds a copy and touches the object no more once
    // it reads false. Not a chain of stack frames: the system may abandon a window procedure's
    // frames when it swallows a fault inside one.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);

    friend LRESULT CALLBACK kvfwDialogProc(HWND, UINT, WPARAM, LPARAM);
    void AttachObject(HWND hwnd);
    LRESULT RunWindowProc(UINT msg, WPARAM wp, LPARAM lp);
};

// Registers a window class with the framework's window procedure filled in when lpfnWndProc is null.
BOOL AfxRegisterClass(WNDCLASSA* wc);
// Registers (once) a class with these properties and returns its name.
const char* AfxRegisterWndClass(UINT style, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);
// The system's arrow cursor, loaded once: under Wine every load checks the display settings
// with three server round trips, and each window the framework creates asks for it.
HCURSOR AfxArrowCursor();
// Sets a window's text only when it differs (avoids flicker); true when it changed.
bool AfxSetWindowText(HWND hwnd, const char* text);
// The framework's window procedure, for window classes registered by callers.
LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// ---- message-map entries for window messages ----------------------------------------------
#define KVFW_MSG(msg, body)                                                            \
    kvfw::MessageHandler(msg, [](CCmdTarget* target, kvfw::WindowMessage& m) -> BOOL { \
        ThisClass* t = static_cast<ThisClass*>(target);                                \
        (void)m;                                                                       \
        body;                                                                          \
        return TRUE;                                                                   \
    }),
#define KVFW_PT(lp) \
    CPoint(static_cast<int>(static_cast<short>(LOWORD(lp))), static_cast<int>(static_cast<short>(HIWORD(lp))))

#define ON_WM_CREATE() KVFW_MSG(WM_CREATE, m.result = t->OnCreate(reinterpret_cast<LPCREATESTRUCTA>(m.lParam)))
#define ON_WM_DESTROY() KVFW_MSG(WM_DESTROY, t->OnDestroy())
#define ON_WM_NCDESTROY() KVFW_MSG(WM_NCDESTROY, t->OnNcDestroy())
#define ON_WM_CLOSE() KVFW_MSG(WM_CLOSE, t->OnClose())
#define ON_WM_SIZE()                                                                               \
    KVFW_MSG(WM_SIZE, t->OnSize(static_cast<UINT>(m.wParam), static_cast<short>(LOWORD(m.lParam)), \
                                static_cast<short>(HIWORD(m.lParam))))
#define ON_WM_MOVE() \
    KVFW_MSG(WM_MOVE, t->OnMove(static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))))
#define ON_WM_PAINT() KVFW_MSG(WM_PAINT, t->OnPaint())
#define ON_WM_NCPAINT() KVFW_MSG(WM_NCPAINT, t->OnNcPaint())
#define ON_WM_ERASEBKGND() \
    KVFW_MSG(WM_ERASEBKGND, CDC dc(reinterpret_cast<HDC>(m.wParam)); m.result = t->OnEraseBkgnd(&dc))
#define ON_WM_TIMER() KVFW_MSG(WM_TIMER, t->OnTimer(static_cast<UINT_PTR>(m.wParam)))
#define ON_WM_LBUTTONDOWN() KVFW_MSG(WM_LBUTTONDOWN, t->OnLButtonDown(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_LBUTTONUP() KVFW_MSG(WM_LBUTTONUP, t->OnLButtonUp(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_LBUTTONDBLCLK() \
    KVFW_MSG(WM_LBUTTONDBLCLK, t->OnLButtonDblClk(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_RBUTTONDOWN() KVFW_MSG(WM_RBUTTONDOWN, t->OnRButtonDown(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_RBUTTONUP() KVFW_MSG(WM_RBUTTONUP, t->OnRButtonUp(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_MBUTTONDOWN() KVFW_MSG(WM_MBUTTONDOWN, t->OnMButtonDown(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_MOUSEMOVE() KVFW_MSG(WM_MOUSEMOVE, t->OnMouseMove(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_MOUSEWHEEL()  \
    KVFW_MSG(WM_MOUSEWHEEL, \
             m.result = t->OnMouseWheel(LOWORD(m.wParam), static_cast<short>(HIWORD(m.wParam)), KVFW_PT(m.lParam)))
#define ON_WM_MOUSEACTIVATE()                                                                                    \
    KVFW_MSG(WM_MOUSEACTIVATE, m.result = t->OnMouseActivate(CWnd::FromHandle(reinterpret_cast<HWND>(m.wParam)), \
                                                             LOWORD(m.lParam), HIWORD(m.lParam)))
#define ON_WM_KEYDOWN() \
    KVFW_MSG(WM_KEYDOWN, t->OnKeyDown(static_cast<UINT>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam)))
#define ON_WM_KEYUP() KVFW_MSG(WM_KEYUP, t->OnKeyUp(static_cast<UINT>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam)))
#define ON_WM_CHAR() KVFW_MSG(WM_CHAR, t->OnChar(static_cast<UINT>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam)))
#define ON_WM_SYSKEYDOWN() \
    KVFW_MSG(WM_SYSKEYDOWN, t->OnSysKeyDown(static_cast<UINT>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam)))
#define ON_WM_SETFOCUS() KVFW_MSG(WM_SETFOCUS, t->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(m.wParam))))
#define ON_WM_KILLFOCUS() KVFW_MSG(WM_KILLFOCUS, t->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(m.wParam))))
#define ON_WM_HSCROLL()  \
    KVFW_MSG(WM_HSCROLL, \
             t->OnHScroll(LOWORD(m.wParam), HIWORD(m.wParam), CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam))))
#define ON_WM_VSCROLL()  \
    KVFW_MSG(WM_VSCROLL, \
             t->OnVScroll(LOWORD(m.wParam), HIWORD(m.wParam), CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam))))
#define ON_WM_GETMINMAXINFO() KVFW_MSG(WM_GETMINMAXINFO, t->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(m.lParam)))
#define ON_WM_NCLBUTTONDOWN() \
    KVFW_MSG(WM_NCLBUTTONDOWN, t->OnNcLButtonDown(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_NCLBUTTONDBLCLK() \
    KVFW_MSG(WM_NCLBUTTONDBLCLK, t->OnNcLButtonDblClk(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_NCHITTEST() KVFW_MSG(WM_NCHITTEST, m.result = t->OnNcHitTest(KVFW_PT(m.lParam)))
#define ON_WM_NCCALCSIZE()  \
    KVFW_MSG(WM_NCCALCSIZE, \
             t->OnNcCalcSize(static_cast<BOOL>(m.wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(m.lParam)))
#define ON_WM_NCACTIVATE() KVFW_MSG(WM_NCACTIVATE, m.result = t->OnNcActivate(static_cast<BOOL>(m.wParam)))
#define ON_WM_NCMOUSEMOVE() KVFW_MSG(WM_NCMOUSEMOVE, t->OnNcMouseMove(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_NCLBUTTONUP() KVFW_MSG(WM_NCLBUTTONUP, t->OnNcLButtonUp(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
#define ON_WM_GETDLGCODE() KVFW_MSG(WM_GETDLGCODE, m.result = t->OnGetDlgCode())
#define ON_WM_ACTIVATE()  \
    KVFW_MSG(WM_ACTIVATE, \
             t->OnActivate(LOWORD(m.wParam), CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam)), HIWORD(m.wParam)))
#define ON_WM_ACTIVATEAPP() \
    KVFW_MSG(WM_ACTIVATEAPP, t->OnActivateApp(static_cast<BOOL>(m.wParam), static_cast<DWORD>(m.lParam)))
#define ON_WM_DROPFILES() KVFW_MSG(WM_DROPFILES, t->OnDropFiles(reinterpret_cast<HDROP>(m.wParam)))
#define ON_WM_CONTEXTMENU() \
    KVFW_MSG(WM_CONTEXTMENU, t->OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(m.wParam)), KVFW_PT(m.lParam)))
#define ON_WM_SETCURSOR()                                                                                \
    KVFW_MSG(WM_SETCURSOR, m.result = t->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(m.wParam)), \
                                                     LOWORD(m.lParam), HIWORD(m.lParam)))
#define ON_WM_INITMENU() KVFW_MSG(WM_INITMENU, t->OnInitMenu(reinterpret_cast<HMENU>(m.wParam)))
#define ON_WM_INITMENUPOPUP()  \
    KVFW_MSG(WM_INITMENUPOPUP, \
             t->OnInitMenuPopup(reinterpret_cast<HMENU>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam)))
#define ON_WM_MENUSELECT() \
    KVFW_MSG(WM_MENUSELECT, t->OnMenuSelect(LOWORD(m.wParam), HIWORD(m.wParam), reinterpret_cast<HMENU>(m.lParam)))
#define ON_WM_SHOWWINDOW() \
    KVFW_MSG(WM_SHOWWINDOW, t->OnShowWindow(static_cast<BOOL>(m.wParam), static_cast<UINT>(m.lParam)))
#define ON_WM_CTLCOLOR()                                                                                      \
    KVFW_MSG(WM_CTLCOLORSTATIC, CDC dc(reinterpret_cast<HDC>(m.wParam));                                      \
             m.result = reinterpret_cast<LRESULT>(                                                            \
                 t->OnCtlColor(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam)), CTLCOLOR_STATIC)))    \
    KVFW_MSG(WM_CTLCOLOREDIT, CDC dc(reinterpret_cast<HDC>(m.wParam));                                        \
             m.result = reinterpret_cast<LRESULT>(                                                            \
                 t->OnCtlColor(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam)), CTLCOLOR_EDIT)))      \
    KVFW_MSG(WM_CTLCOLORBTN, CDC dc(reinterpret_cast<HDC>(m.wParam));                                         \
             m.result = reinterpret_cast<LRESULT>(                                                            \
                 t->OnCtlColor(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam)), CTLCOLOR_BTN)))       \
    KVFW_MSG(WM_CTLCOLORLISTBOX, CDC dc(reinterpret_cast<HDC>(m.wParam));                                     \
             m.result = reinterpret_cast<LRESULT>(                                                            \
                 t->OnCtlColor(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam)), CTLCOLOR_LISTBOX)))   \
    KVFW_MSG(WM_CTLCOLORDLG, CDC dc(reinterpret_cast<HDC>(m.wParam));                                         \
             m.result = reinterpret_cast<LRESULT>(                                                            \
                 t->OnCtlColor(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam)), CTLCOLOR_DLG)))       \
    KVFW_MSG(WM_CTLCOLORSCROLLBAR, CDC dc(reinterpret_cast<HDC>(m.wParam));                                   \
             m.result = reinterpret_cast<LRESULT>(                                                            \
                 t->OnCtlColor(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam)), CTLCOLOR_SCROLLBAR))) \
    KVFW_MSG(WM_CTLCOLORMSGBOX, CDC dc(reinterpret_cast<HDC>(m.wParam));                                      \
             m.result = reinterpret_cast<LRESULT>(                                                            \
                 t->OnCtlColor(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam)), CTLCOLOR_MSGBOX)))
#define ON_WM_CAPTURECHANGED() \
    KVFW_MSG(WM_CAPTURECHANGED, t->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(m.lParam))))
#define ON_WM_WINDOWPOSCHANGED() \
    KVFW_MSG(WM_WINDOWPOSCHANGED, t->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(m.lParam)))
#define ON_WM_WINDOWPOSCHANGING() \
    KVFW_MSG(WM_WINDOWPOSCHANGING, t->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(m.lParam)))
#define ON_WM_PALETTECHANGED() \
    KVFW_MSG(WM_PALETTECHANGED, t->OnPaletteChanged(CWnd::FromHandle(reinterpret_cast<HWND>(m.wParam))))
#define ON_WM_QUERYNEWPALETTE() KVFW_MSG(WM_QUERYNEWPALETTE, m.result = t->OnQueryNewPalette())
#define ON_WM_DESTROYCLIPBOARD() KVFW_MSG(WM_DESTROYCLIPBOARD, t->OnDestroyClipboard())
#define ON_WM_QUERYENDSESSION() KVFW_MSG(WM_QUERYENDSESSION, m.result = t->OnQueryEndSession())
#define ON_WM_ENDSESSION() KVFW_MSG(WM_ENDSESSION, t->OnEndSession(static_cast<BOOL>(m.wParam)))
#define ON_WM_SYSCOMMAND() KVFW_MSG(WM_SYSCOMMAND, t->OnSysCommand(static_cast<UINT>(m.wParam), m.lParam))
#define ON_WM_CANCELMODE() KVFW_MSG(WM_CANCELMODE, t->OnCancelMode())
#define ON_WM_DRAWITEM()                                                                                           \
    KVFW_MSG(WM_DRAWITEM, t->OnDrawItem(static_cast<int>(m.wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(m.lParam)); \
             m.result = TRUE)
#define ON_WM_MEASUREITEM()                                                                                 \
    KVFW_MSG(WM_MEASUREITEM,                                                                                \
             t->OnMeasureItem(static_cast<int>(m.wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(m.lParam)); \
             m.result = TRUE)
#define ON_WM_ENABLE() KVFW_MSG(WM_ENABLE, t->OnEnable(static_cast<BOOL>(m.wParam)))
#define ON_WM_NCCREATE() KVFW_MSG(WM_NCCREATE, m.result = t->OnNcCreate(reinterpret_cast<LPCREATESTRUCTA>(m.lParam)))
#define ON_WM_SIZING() \
    KVFW_MSG(WM_SIZING, t->OnSizing(static_cast<UINT>(m.wParam), reinterpret_cast<LPRECT>(m.lParam)); m.result = TRUE)
#define ON_WM_DEVICECHANGE()  \
    KVFW_MSG(WM_DEVICECHANGE, \
             m.result = t->OnDeviceChange(static_cast<UINT>(m.wParam), static_cast<DWORD_PTR>(m.lParam)))
#define ON_WM_MBUTTONUP() KVFW_MSG(WM_MBUTTONUP, t->OnMButtonUp(static_cast<UINT>(m.wParam), KVFW_PT(m.lParam)))
