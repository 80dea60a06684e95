#include "FwWnd.h"
#include "FwApp.h"
#include "FwFrame.h"
#include "FwRecordingCmdUI.h"
#include <cstdio>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

const char kDefaultClass[] = "KvFwWnd";

// Each window's object, kept in the process: a window property costs a server round trip under
// Wine, and the object is looked up for every message. Entries go with WM_NCDESTROY, Detach or
// the object; any thread may look up.
class WindowObjects {
public:
    CWnd* Find(HWND hwnd)
    {
        ::AcquireSRWLockShared(&m_lock);
        auto found = m_objects.find(hwnd);
        CWnd* wnd = found == m_objects.end() ? nullptr : found->second;
        ::ReleaseSRWLockShared(&m_lock);
        return wnd;
    }
    void Set(HWND hwnd, CWnd* wnd)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        m_objects[hwnd] = wnd;
        ::ReleaseSRWLockExclusive(&m_lock);
    }
    std::vector<HWND> Handles()
    {
        std::vector<HWND> handles;
        ::AcquireSRWLockShared(&m_lock);
        handles.reserve(m_objects.size());
        for (const auto& entry : m_objects)
            handles.push_back(entry.first);
        ::ReleaseSRWLockShared(&m_lock);
        return handles;
    }
    void Remove(HWND hwnd)
    {
        ::AcquireSRWLockExclusive(&m_lock);
        m_objects.erase(hwnd);
        ::ReleaseSRWLockExclusive(&m_lock);
    }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CWnd*> m_objects;
};

// Never destroyed: objects of static lifetime (the application's) go after every local static.
WindowObjects& Objects()
{
    static auto* objects = new WindowObjects;
    return *objects;
}

thread_local CWnd* t_pendingCreate = nullptr;
thread_local std::map<HWND, std::unique_ptr<CWnd>>* t_tempWindows = nullptr;

} // namespace

namespace kvfw {
void ReportEscapedException(UINT message)
{
    char text[96];
    wsprintfA(text, "kvframework: an exception escaped the handler of message 0x%04X\n", message);
    ::OutputDebugStringA(text);
}

void DeleteTempWindows()
{
    if (!t_tempWindows)
        return;
    for (auto& entry : *t_tempWindows)
        entry.second->m_hWnd = nullptr;
    delete t_tempWindows;
    t_tempWindows = nullptr;
}
} // namespace kvfw

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd()
{
    *m_alive = false;
    if (m_hWnd && Objects().Find(m_hWnd) == this) {
        if (!::IsWindow(m_hWnd)) {
            // Its window went without this object hearing of it.
            Objects().Remove(m_hWnd);
        } else if (m_previousProc) {
            UnsubclassWindow();
        } else {
            // The object dies before its window: the window loses its object and is destroyed.
            HWND hwnd = m_hWnd;
            Objects().Remove(hwnd);
            m_hWnd = nullptr;
            ::DestroyWindow(hwnd);
        }
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    return hwnd ? Objects().Find(hwnd) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hwnd))
        return wnd;
    if (!t_tempWindows)
        t_tempWindows = new std::map<HWND, std::unique_ptr<CWnd>>;
    auto& slot = (*t_tempWindows)[hwnd];
    if (!slot) {
        slot.reset(new CWnd);
        slot->m_hWnd = hwnd;
    }
    return slot.get();
}

void CWnd::AttachObject(HWND hwnd)
{
    m_hWnd = hwnd;
    Objects().Set(hwnd, this);
}

BOOL CWnd::Attach(HWND hwnd)
{
    if (!hwnd || m_hWnd)
        return FALSE;
    AttachObject(hwnd);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hwnd = m_hWnd;
    if (hwnd)
        Objects().Remove(hwnd);
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return FALSE;
    AttachObject(hwnd);
    m_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow()
{
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return nullptr;
    if (m_previousProc)
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    m_previousProc = nullptr;
    return Detach();
}

void CWnd::SetPendingCreate(CWnd* wnd)
{
    t_pendingCreate = wnd;
}
CWnd* CWnd::GetPendingCreate()
{
    return t_pendingCreate;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (!wnd && t_pendingCreate) {
        // The first message of a window created by CreateEx (before or at WM_NCCREATE).
        wnd = t_pendingCreate;
        t_pendingCreate = nullptr;
        wnd->AttachObject(hwnd);
    }
    if (!wnd)
        return ::DefWindowProcA(hwnd, msg, wp, lp);
    return wnd->RunWindowProc(msg, wp, lp);
}

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return CWnd::StaticWindowProc(hwnd, msg, wp, lp);
}

LRESULT CWnd::RunWindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    MSG saved = m_currentMsg;
    m_currentMsg.hwnd = m_hWnd;
    m_currentMsg.message = msg;
    m_currentMsg.wParam = wp;
    m_currentMsg.lParam = lp;
    LRESULT result = 0;
    const std::shared_ptr<bool> alive = m_alive;
    try {
        result = WindowProc(msg, wp, lp);
    } catch (...) {
        // Handlers catch their own failures; one that escapes must not unwind through the system.
        kvfw::ReportEscapedException(msg);
    }
    if (!*alive)
        return result;
    m_currentMsg = saved;
    if (msg == WM_NCDESTROY) {
        HWND hwnd = m_hWnd;
        if (hwnd) {
            Objects().Remove(hwnd);
            if (m_previousProc)
                ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        }
        m_previousProc = nullptr;
        m_hWnd = nullptr;
        PostNcDestroy(); // may delete this
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    kvfw::WindowMessage m{message, wParam, lParam};
    if (DispatchWindowMessage(m))
        return m.result;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::DispatchWindowMessage(kvfw::WindowMessage& m)
{
    kvfw::WindowMessage* previous = m_current;
    m_current = &m;
    const std::shared_ptr<bool> alive = m_alive;
    BOOL handled = FALSE;
    if (m.message == WM_COMMAND) {
        handled = OnCommand(m.wParam, m.lParam);
    } else if (m.message == WM_NOTIFY) {
        handled = OnNotify(m.wParam, m.lParam, &m.result);
    } else {
        for (const kvfw::MessageMap* map = GetMessageMap(); map && !handled; map = map->base ? map->base() : nullptr) {
            for (const kvfw::MessageEntry* e = map->entries; e->kind != kvfw::EntryKind::End; ++e) {
                bool match =
                    (e->kind == kvfw::EntryKind::Message && e->message == m.message) ||
                    (e->kind == kvfw::EntryKind::Registered && *e->registered != 0 && *e->registered == m.message);
                if (match && e->onMessage(this, m)) {
                    handled = TRUE;
                    break;
                }
            }
        }
    }
    if (*alive)
        m_current = previous;
    return handled;
}

LRESULT CWnd::Default()
{
    if (!m_current)
        return 0;
    if (m_current->inDialog) {
        m_current->wantsDefault = true;
        return 0;
    }
    m_current->result = DefWindowProc(m_current->message, m_current->wParam, m_current->lParam);
    return m_current->result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_previousProc)
        return ::CallWindowProcA(m_previousProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    kvfw::CmdRequest request;
    request.id = LOWORD(wParam);
    request.code = lParam ? HIWORD(wParam) : 0;
    if (!lParam) {
        // A menu item or an accelerator: a command that its update handler disables is dropped
        // (an accelerator must not run what the menu shows greyed).
        CRecordingCmdUI state(request.id);
        state.DoUpdate(this, FALSE);
        if (state.enabled == 0)
            return TRUE;
    }
    return OnCmdMsg(request);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result)
{
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
        return FALSE;
    kvfw::CmdRequest request;
    request.route = kvfw::Route::Notify;
    request.id = static_cast<UINT>(header->idFrom);
    request.code = header->code;
    request.nmhdr = header;
    if (!OnCmdMsg(request))
        return FALSE;
    *result = request.result;
    return TRUE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, AfxArrowCursor(),
                                           reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    return TRUE;
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void* createParam)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, createParam);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* createParam)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), createParam);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, void* createParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = createParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    SetPendingCreate(this);
    HWND hwnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    bool neverAttached = t_pendingCreate == this;
    if (neverAttached)
        t_pendingCreate = nullptr;
    if (!hwnd) {
        // A window that got no message (unknown class, bad parent) never reached WM_NCDESTROY:
        // its object ends here as it would have there, so self-deleting objects do not leak.
        if (neverAttached && !m_hWnd)
            PostNcDestroy();
        return FALSE;
    }
    // A window of a class with its own procedure (a common control) is subclassed instead.
    if (!m_hWnd)
        SubclassWindow(hwnd);
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void CWnd::CalcWindowRect(RECT* rect, UINT adjustType)
{
    // Laid out inside a frame (type 0), a sunken client edge stays inside the space given.
    DWORD exStyle = GetExStyle();
    if (adjustType == 0)
        exStyle &= ~WS_EX_CLIENTEDGE;
    ::AdjustWindowRectEx(rect, GetStyle(), FALSE, exStyle);
}

void CWnd::SendMessageToDescendants(UINT msg, WPARAM wp, LPARAM lp, BOOL deep) const
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageA(child, msg, wp, lp);
        if (deep && ::IsWindow(child)) {
            CWnd temp;
            temp.m_hWnd = child;
            temp.SendMessageToDescendants(msg, wp, lp, TRUE);
            temp.m_hWnd = nullptr;
        }
    }
}

void CWnd::SendMessageToObjectDescendants(UINT msg, WPARAM wp, LPARAM lp) const
{
    for (HWND hwnd : Objects().Handles())
        // Still there: an earlier handler may have destroyed it.
        if (::IsChild(m_hWnd, hwnd) && Objects().Find(hwnd))
            ::SendMessageA(hwnd, msg, wp, lp);
}

void CWnd::ClientToScreen(RECT* r) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(r), 2);
}

void CWnd::ScreenToClient(RECT* r) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(r), 2);
}

void CWnd::GetWindowText(CString& text) const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
}

int CWnd::GetCheckedRadioButton(int first, int last) const
{
    for (int id = first; id <= last; ++id)
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED)
            return id;
    return 0;
}

void CWnd::GetDlgItemText(int id, CString& text) const
{
    HWND item = ::GetDlgItem(m_hWnd, id);
    int length = item ? ::GetWindowTextLengthA(item) : 0;
    ::GetDlgItemTextA(m_hWnd, id, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    DWORD style = GetStyle(), changed = (style & ~remove) | add;
    if (style == changed)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags)
{
    DWORD style = GetExStyle(), changed = (style & ~remove) | add;
    if (style == changed)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND top = m_hWnd;
    while (top && (::GetWindowLongPtrA(top, GWL_STYLE) & WS_CHILD))
        top = ::GetParent(top);
    return FromHandle(top);
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (HWND parent = ::GetParent(m_hWnd); parent; parent = ::GetParent(parent)) {
        CWnd* wnd = FromHandlePermanent(parent);
        if (wnd && wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            return static_cast<CFrameWnd*>(wnd);
    }
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    CFrameWnd* frame = IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? const_cast<CFrameWnd*>(static_cast<const CFrameWnd*>(this))
                                                          : GetParentFrame();
    while (frame) {
        CFrameWnd* up = frame->GetParentFrame();
        if (!up)
            break;
        frame = up;
    }
    return frame;
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    CRect area, own;
    GetWindowRect(&own);
    HWND center = alternateOwner ? alternateOwner->m_hWnd
                                 : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
    if (GetStyle() & WS_CHILD) {
        ::GetClientRect(center, &area);
    } else if (center && ::IsWindowVisible(center) && !::IsIconic(center)) {
        ::GetWindowRect(center, &area);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    int x = area.left + (area.Width() - own.Width()) / 2;
    int y = area.top + (area.Height() - own.Height()) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type)
{
    return AfxShowMessageBox(m_hWnd, text, caption, type);
}

void CWnd::UpdateDialogControls(CCmdTarget* target, BOOL disableIfNoHandler)
{
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        int id = ::GetDlgCtrlID(child);
        if (id <= 0 || id == 0xFFFF)
            continue;
        UINT code = static_cast<UINT>(::SendMessageA(child, WM_GETDLGCODE, 0, 0));
        CCmdUI state;
        state.m_nID = static_cast<UINT>(id);
        state.m_pOther = FromHandle(child);
        // Only push buttons grey out for want of a handler; other controls keep their state.
        state.DoUpdate(target, disableIfNoHandler && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)));
    }
}

// ---- default handlers ------------------------------------------------------------------------
int CWnd::OnCreate(LPCREATESTRUCTA)
{
    return static_cast<int>(Default());
}
void CWnd::OnDestroy()
{
    Default();
}
void CWnd::OnNcDestroy()
{
    Default();
}
void CWnd::OnClose()
{
    Default();
}
void CWnd::OnSize(UINT, int, int)
{
    Default();
}
void CWnd::OnMove(int, int)
{
    Default();
}
void CWnd::OnPaint()
{
    Default();
}
void CWnd::OnNcPaint()
{
    Default();
}
BOOL CWnd::OnEraseBkgnd(CDC*)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnTimer(UINT_PTR)
{
    Default();
}
void CWnd::OnLButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnLButtonDblClk(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnMButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint)
{
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint)
{
    return static_cast<BOOL>(Default());
}
int CWnd::OnMouseActivate(CWnd*, UINT, UINT)
{
    return static_cast<int>(Default());
}
void CWnd::OnKeyDown(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnSysKeyDown(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnSetFocus(CWnd*)
{
    Default();
}
void CWnd::OnKillFocus(CWnd*)
{
    Default();
}
void CWnd::OnHScroll(UINT, UINT, CWnd*)
{
    Default();
}
void CWnd::OnVScroll(UINT, UINT, CWnd*)
{
    Default();
}
void CWnd::OnGetMinMaxInfo(MINMAXINFO*)
{
    Default();
}
void CWnd::OnNcLButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnNcLButtonDblClk(UINT, CPoint)
{
    Default();
}
LRESULT CWnd::OnNcHitTest(CPoint)
{
    return Default();
}
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*)
{
    Default();
}
BOOL CWnd::OnNcActivate(BOOL)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnNcMouseMove(UINT, CPoint)
{
    Default();
}
void CWnd::OnNcLButtonUp(UINT, CPoint)
{
    Default();
}
UINT CWnd::OnGetDlgCode()
{
    return static_cast<UINT>(Default());
}
void CWnd::OnActivate(UINT, CWnd*, BOOL)
{
    Default();
}
void CWnd::OnActivateApp(BOOL, DWORD)
{
    Default();
}
void CWnd::OnDropFiles(HDROP)
{
    Default();
}
void CWnd::OnContextMenu(CWnd*, CPoint)
{
    Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnInitMenu(HMENU)
{
    Default();
}
void CWnd::OnInitMenuPopup(HMENU, UINT, BOOL)
{
    Default();
}
void CWnd::OnMenuSelect(UINT, UINT, HMENU)
{
    Default();
}
void CWnd::OnShowWindow(BOOL, UINT)
{
    Default();
}
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT)
{
    return reinterpret_cast<HBRUSH>(Default());
}
void CWnd::OnCaptureChanged(CWnd*)
{
    Default();
}
void CWnd::OnWindowPosChanged(WINDOWPOS*)
{
    Default();
}
void CWnd::OnWindowPosChanging(WINDOWPOS*)
{
    Default();
}
void CWnd::OnPaletteChanged(CWnd*)
{
    Default();
}
BOOL CWnd::OnQueryNewPalette()
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnDestroyClipboard()
{
    Default();
}
BOOL CWnd::OnQueryEndSession()
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnEndSession(BOOL)
{
    Default();
}
void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}
void CWnd::OnCancelMode()
{
    Default();
}
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT)
{
    Default();
}
void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT)
{
    Default();
}
void CWnd::OnEnable(BOOL)
{
    Default();
}
BOOL CWnd::OnNcCreate(LPCREATESTRUCTA)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnSizing(UINT, LPRECT)
{
    Default();
}
BOOL CWnd::OnDeviceChange(UINT, DWORD_PTR)
{
    return static_cast<BOOL>(Default());
}
void CWnd::OnMButtonUp(UINT, CPoint)
{
    Default();
}

// ---- helpers ---------------------------------------------------------------------------------

BOOL AfxRegisterClass(WNDCLASSA* wc)
{
    if (!wc->lpfnWndProc)
        wc->lpfnWndProc = &CWnd::StaticWindowProc;
    if (!wc->hInstance)
        wc->hInstance = AfxGetInstanceHandle();
    WNDCLASSA existing;
    if (::GetClassInfoA(wc->hInstance, wc->lpszClassName, &existing))
        return TRUE;
    return ::RegisterClassA(wc) != 0;
}

const char* AfxRegisterWndClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static thread_local std::map<std::string, std::string> names;
    char name[128];
    // One class per combination; the handles are part of the name (system colours are small numbers).
    snprintf(name, sizeof name, "%s:%x:%p:%p:%p", kDefaultClass, style, static_cast<void*>(cursor),
             static_cast<void*>(background), static_cast<void*>(icon));
    auto& stored = names[name];
    if (stored.empty()) {
        WNDCLASSA wc = {};
        wc.style = style;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        if (!AfxRegisterClass(&wc))
            return nullptr;
        stored = name;
    }
    return stored.c_str();
}

HCURSOR AfxArrowCursor()
{
    static const HCURSOR arrow = ::LoadCursor(nullptr, IDC_ARROW);
    return arrow;
}

bool AfxSetWindowText(HWND hwnd, const char* text)
{
    if (!hwnd)
        return false;
    if (!text)
        text = "";
    char current[512];
    int length = lstrlenA(text);
    if (length < static_cast<int>(sizeof current) &&
        ::GetWindowTextA(hwnd, current, static_cast<int>(sizeof current)) == length && lstrcmpA(current, text) == 0)
        return false;
    ::SetWindowTextA(hwnd, text);
    return true;
}
