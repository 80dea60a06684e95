#include "FwFrame.h"
#include "FwApp.h"
#include "FwControlBar.h"
#include "FwDocument.h"
#include "FwView.h"
#include <algorithm>
#include <dde.h>

namespace {

// Menu ids from here up are system commands (SC_...) and the MDI client's window list.
const UINT kFirstSystemCommandId = 0xF000;

const char* FrameClassName()
{
    return AfxRegisterWndClass(CS_DBLCLKS, AfxArrowCursor(),
                               reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
}

void SetFrameIcon(HWND hwnd, UINT resourceId)
{
    HICON icon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId));
    if (!icon)
        return;
    ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// The profile entry that keeps a bar's visibility: saving and loading must agree on it.
CString BarVisibleEntry(HWND bar)
{
    CString entry;
    entry.Format("Bar%u.Visible", static_cast<UINT>(::GetDlgCtrlID(bar)));
    return entry;
}

struct OwnedSearch {
    HWND owner;
    bool withOwner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND top, LPARAM lp)
{
    auto* search = reinterpret_cast<OwnedSearch*>(lp);
    if ((search->withOwner && top == search->owner) || ::GetWindow(top, GW_OWNER) == search->owner)
        search->found.push_back(top);
    return TRUE;
}

// The top-level windows the owner owns (and the owner itself when asked and top-level), listed
// at once. Walking the z-order one window at a time ends early or skips windows when another
// program's window goes or moves during the walk.
std::vector<HWND> OwnedTopLevelWindows(HWND owner, bool withOwner)
{
    OwnedSearch search = {owner, withOwner, {}};
    ::EnumWindows(&CollectOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

// ============================================================================================
// CFrameWnd

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_QUERYENDSESSION()
    ON_WM_ENDSESSION()
    ON_WM_DESTROY()
    ON_WM_NCDESTROY()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ENABLE()
    ON_WM_INITMENUPOPUP()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateMessage)
    ON_UPDATE_COMMAND_UI_RANGE(ID_INDICATOR_EXT, ID_INDICATOR_KANA, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_WM_MENUSELECT()
    ON_MESSAGE(WM_DDE_INITIATE, OnDDEInitiate)
    ON_MESSAGE(WM_DDE_EXECUTE, OnDDEExecute)
    ON_MESSAGE(WM_DDE_TERMINATE, OnDDETerminate)
END_MESSAGE_MAP()

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = FrameClassName();
    return cs.lpszClass != nullptr;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context)
{
    m_nIDResource = resourceId;
    CString strings;
    strings.LoadString(resourceId);
    int end = strings.Find('\n');
    m_strTitle = end < 0 ? strings : strings.Left(end);
    HINSTANCE instance = AfxGetResourceHandle();
    m_hMenuDefault = ::LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
    m_hAccelTable = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));
    CString title = m_strTitle;
    m_pPendingContext = context;
    BOOL ok = CWnd::CreateEx(0, nullptr, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             parent ? parent->m_hWnd : nullptr, m_hMenuDefault, nullptr);
    if (!ok)
        return FALSE; // the window's end has already deleted this object, when it existed
    m_pPendingContext = nullptr;
    SetFrameIcon(m_hWnd, resourceId);
    return TRUE;
}

BOOL CFrameWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                       const char* menuName, DWORD exStyle, CCreateContext* context)
{
    m_strTitle = title ? title : "";
    HMENU menu = menuName ? ::LoadMenuA(AfxGetResourceHandle(), menuName) : nullptr;
    m_hMenuDefault = menu;
    m_pPendingContext = context;
    bool useDefault = rect.left == CW_USEDEFAULT;
    CString text = m_strTitle;
    BOOL ok = CWnd::CreateEx(exStyle, className, text, style, useDefault ? CW_USEDEFAULT : rect.left,
                             useDefault ? CW_USEDEFAULT : rect.top, useDefault ? CW_USEDEFAULT : rect.right - rect.left,
                             useDefault ? CW_USEDEFAULT : rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                             menu, nullptr);
    if (!ok)
        return FALSE;
    m_pPendingContext = nullptr;
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA cs)
{
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    if (!OnCreateClient(cs, m_pPendingContext))
        return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext* context)
{
    if (context && context->m_pNewViewClass)
        return CreateView(context, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id)
{
    CObject* object = context->m_pNewViewClass->CreateObject();
    if (!object)
        return nullptr;
    CWnd* view = static_cast<CWnd*>(object);
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, id, context))
        return nullptr;
    return view;
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify)
{
    CView* old = m_pViewActive;
    if (view == old)
        return;
    m_pViewActive = view;
    if (!notify)
        return;
    if (old && old->m_hWnd)
        old->OnActivateView(FALSE, view, old);
    if (view && view->m_hWnd)
        view->OnActivateView(TRUE, view, old);
}

CDocument* CFrameWnd::GetActiveDocument()
{
    CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

void CFrameWnd::ActivateFrame(int cmdShow)
{
    if (cmdShow == -1)
        cmdShow = !IsWindowVisible() ? SW_SHOW : (IsIconic() ? SW_RESTORE : -1);
    if (cmdShow != -1)
        ShowWindow(cmdShow);
    if (!(GetStyle() & WS_CHILD))
        BringWindowToTop();
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, BOOL makeVisible)
{
    if (!m_pViewActive) {
        CWnd* pane = CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST));
        if (pane && pane->IsKindOf(RUNTIME_CLASS(CView)))
            SetActiveView(static_cast<CView*>(pane), FALSE);
    }
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
    if (makeVisible) {
        ActivateFrame();
        if (m_pViewActive)
            m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
    }
    if (doc)
        doc->UpdateFrameCounts();
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::RecalcLayout(BOOL)
{
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    for (CControlBar* bar : m_controlBars) {
        if (!bar->IsVisible())
            continue;
        DWORD align = bar->GetBarStyle() & CBRS_ALIGN_ANY;
        if (align & CBRS_ALIGN_TOP) {
            int h = bar->CalcFixedLayout(TRUE, TRUE).cy;
            bar->MoveWindow(client.left, client.top, client.Width(), h);
            client.top += h;
        } else if (align & CBRS_ALIGN_BOTTOM) {
            int h = bar->CalcFixedLayout(TRUE, TRUE).cy;
            bar->MoveWindow(client.left, client.bottom - h, client.Width(), h);
            client.bottom -= h;
        } else if (align & CBRS_ALIGN_LEFT) {
            int w = bar->CalcFixedLayout(TRUE, FALSE).cx;
            bar->MoveWindow(client.left, client.top, w, client.Height());
            client.left += w;
        } else if (align & CBRS_ALIGN_RIGHT) {
            int w = bar->CalcFixedLayout(TRUE, FALSE).cx;
            bar->MoveWindow(client.right - w, client.top, w, client.Height());
            client.right -= w;
        }
    }
    if (client.bottom < client.top)
        client.bottom = client.top;
    if (client.right < client.left)
        client.right = client.left;
    LayoutClient(client);
}

void CFrameWnd::LayoutClient(const CRect& rect)
{
    HWND pane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
    if (!pane)
        return;
    // The pane's object turns the space it gets into its window rectangle (its borders).
    CRect place = rect;
    if (CWnd* wnd = CWnd::FromHandlePermanent(pane))
        wnd->CalcWindowRect(&place, 0);
    ::MoveWindow(pane, place.left, place.top, place.Width(), place.Height(), TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (!(GetStyle() & FWS_ADDTOTITLE))
        return;
    CDocument* doc = GetActiveDocument();
    UpdateFrameTitleForDocument(addToTitle && doc ? static_cast<const char*>(doc->GetTitle()) : nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(const char* docName)
{
    CString text;
    CString name;
    if (docName && *docName) {
        name = docName;
        if (m_nWindow > 0) {
            CString number;
            number.Format(":%d", m_nWindow);
            name += number;
        }
    }
    if (GetStyle() & FWS_PREFIXTITLE) {
        text = name.IsEmpty() ? m_strTitle : (m_strTitle.IsEmpty() ? name : name + " - " + m_strTitle);
    } else {
        text = name.IsEmpty() ? m_strTitle : (m_strTitle.IsEmpty() ? name : m_strTitle + " - " + name);
    }
    // Only a change is applied: the system may decorate the caption (a maximized MDI child's
    // title), and setting ours again at every idle pass would undo that.
    if (text == m_strTitleShown)
        return;
    m_strTitleShown = text;
    AfxSetWindowText(m_hWnd, text);
}

void CFrameWnd::OnUpdateFrameMenu(HMENU menuAlt)
{
    if (GetStyle() & WS_CHILD)
        return;
    HMENU menu = menuAlt ? menuAlt : m_hMenuDefault;
    if (menu && GetMenu() != menu) {
        SetMenu(menu);
        DrawMenuBar();
    }
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const
{
    for (CControlBar* bar : m_controlBars)
        if (static_cast<UINT>(bar->GetDlgCtrlID()) == id)
            return bar;
    return nullptr;
}

void CFrameWnd::AddControlBar(CControlBar* bar)
{
    if (std::find(m_controlBars.begin(), m_controlBars.end(), bar) == m_controlBars.end())
        m_controlBars.push_back(bar);
}

void CFrameWnd::RemoveControlBar(CControlBar* bar)
{
    auto at = std::find(m_controlBars.begin(), m_controlBars.end(), bar);
    if (at != m_controlBars.end())
        m_controlBars.erase(at);
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL)
{
    if (!bar || !bar->m_hWnd)
        return;
    bar->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::SaveBarState(const char* section) const
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    for (CControlBar* bar : m_controlBars) {
        HWND child = bar->m_hWnd;
        app->WriteProfileInt(section, BarVisibleEntry(child), ::IsWindowVisible(child) ? 1 : 0);
    }
}

void CFrameWnd::LoadBarState(const char* section)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    for (CControlBar* bar : m_controlBars) {
        HWND child = bar->m_hWnd;
        int visible = static_cast<int>(app->GetProfileInt(section, BarVisibleEntry(child), -1));
        if (visible != -1)
            ::ShowWindow(child, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
    RecalcLayout();
}

void CFrameWnd::SetMessageText(const char* text)
{
    CControlBar* bar = GetControlBar(AFX_IDW_STATUS_BAR);
    if (bar && bar->IsKindOf(RUNTIME_CLASS(CStatusBar)))
        static_cast<CStatusBar*>(bar)->SetPaneText(0, text);
}

void CFrameWnd::SetMessageText(UINT stringId)
{
    CString text;
    text.LoadString(stringId);
    SetMessageText(text);
}

void CFrameWnd::BeginModalState()
{
    if (m_modalCount++ > 0)
        return;
    m_disabledByModal.clear();
    // This frame and the enabled top-level windows it owns (its floating panes).
    for (HWND top : OwnedTopLevelWindows(m_hWnd, true)) {
        if (::IsWindowEnabled(top)) {
            m_disabledByModal.push_back(top);
            ::EnableWindow(top, FALSE);
        }
    }
}

void CFrameWnd::EndModalState()
{
    if (m_modalCount == 0 || --m_modalCount > 0)
        return;
    for (HWND hwnd : m_disabledByModal)
        if (::IsWindow(hwnd))
            ::EnableWindow(hwnd, TRUE);
    m_disabledByModal.clear();
}

void CFrameWnd::OnEnable(BOOL enable)
{
    CWnd::OnEnable(enable);
    if (GetStyle() & WS_CHILD)
        return;
    if (!enable) {
        // Our own modal state has done this already.
        if (m_modalCount > 0 || !m_disabledWithFrame.empty())
            return;
        // Only frames: the modal window that disabled us is owned by us too and must stay usable.
        for (HWND top : OwnedTopLevelWindows(m_hWnd, false)) {
            if (!::IsWindowEnabled(top))
                continue;
            CWnd* wnd = CWnd::FromHandlePermanent(top);
            if (!wnd || !wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
                continue;
            m_disabledWithFrame.push_back(top);
            ::EnableWindow(top, FALSE);
        }
        return;
    }
    std::vector<HWND> disabled;
    disabled.swap(m_disabledWithFrame);
    for (HWND hwnd : disabled)
        if (::IsWindow(hwnd))
            ::EnableWindow(hwnd, TRUE);
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    if (IsWindowVisible())
        OnUpdateFrameTitle(TRUE);
}

LRESULT CFrameWnd::OnIdleUpdateMessage(WPARAM, LPARAM)
{
    OnIdleUpdateCmdUI();
    return 0;
}

BOOL CFrameWnd::OnCmdMsg(kvfw::CmdRequest& request)
{
    if (CView* view = GetActiveView())
        if (view->OnCmdMsg(request))
            return TRUE;
    if (CWnd::OnCmdMsg(request))
        return TRUE;
    // A child frame leaves the application to the frame that holds it.
    if (!IsChildFrame())
        if (CWinApp* app = AfxGetApp())
            if (app->OnCmdMsg(request))
                return TRUE;
    return FALSE;
}

bool kvfw::IsAcceleratorKey(const MSG* msg)
{
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    char name[16] = "";
    if (!msg->hwnd || !::GetClassNameA(msg->hwnd, name, sizeof name) || lstrcmpiA(name, "Edit") != 0)
        return true;
    const bool function = msg->message != WM_CHAR && msg->wParam >= VK_F1 && msg->wParam <= VK_F24;
    return function || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg)
{
    if (kvfw::IsAcceleratorKey(msg) && m_hAccelTable && ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg))
        return TRUE;
    return FALSE;
}

BOOL CFrameWnd::OnQueryEndSession()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
        return app->SaveAllModified();
    return TRUE;
}

void CFrameWnd::OnEndSession(BOOL ending)
{
    if (!ending)
        return;
    CWinApp* app = AfxGetApp();
    // The process ends after this message without a WM_CLOSE: the documents close here (their
    // save prompts ran at WM_QUERYENDSESSION).
    if (app && app->m_pMainWnd == this)
        app->CloseAllDocuments(TRUE);
}

void CFrameWnd::OnClose()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        if (!app->SaveAllModified())
            return;
        app->CloseAllDocuments(FALSE);
        DestroyWindow();
        return;
    }
    CDocument* doc = GetActiveDocument();
    if (doc) {
        if (!doc->CanCloseFrame(this))
            return;
        // The last frame of a document closes the document, which destroys this frame.
        bool otherFrame = false;
        for (POSITION pos = doc->GetFirstViewPosition(); pos;) {
            CFrameWnd* frame = doc->GetNextView(pos)->GetParentFrame();
            if (frame && frame != this)
                otherFrame = true;
        }
        if (!otherFrame) {
            doc->OnCloseDocument();
            return;
        }
    }
    DestroyWindow();
}

void CFrameWnd::OnDestroy()
{
    m_pViewActive = nullptr;
    // A window destroys the menu it shows: let that be its own, never a template's shared one.
    if (!(GetStyle() & WS_CHILD) && m_hMenuDefault && GetMenu() != m_hMenuDefault)
        ::SetMenu(m_hWnd, m_hMenuDefault);
    CWnd::OnDestroy();
}

void CFrameWnd::OnNcDestroy()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    CWnd::OnNcDestroy();
}

void CFrameWnd::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd* oldWnd)
{
    CWnd::OnSetFocus(oldWnd); // an MDI child activates itself here
    if (m_pViewActive && m_pViewActive->m_hWnd)
        m_pViewActive->SetFocus();
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* dc)
{
    if (m_pViewActive)
        return TRUE; // the view covers the client area
    return CWnd::OnEraseBkgnd(dc);
}

void CFrameWnd::OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu)
{
    CWnd::OnInitMenuPopup(popup, index, sysMenu);
    if (sysMenu)
        return;
    CCmdUI state;
    state.m_hMenu = popup;
    state.m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(popup));
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        UINT id = ::GetMenuItemID(popup, static_cast<int>(state.m_nIndex));
        if (id == 0)
            continue; // separator
        if (id == static_cast<UINT>(-1)) {
            // A popup entry: its handler is the one of the popup's first item.
            HMENU sub = ::GetSubMenu(popup, static_cast<int>(state.m_nIndex));
            UINT first = sub ? ::GetMenuItemID(sub, 0) : 0;
            if (first == 0 || first == static_cast<UINT>(-1))
                continue;
            state.m_nID = first;
            state.m_hSubMenu = sub;
            state.DoUpdate(this, FALSE);
        } else {
            state.m_nID = id;
            state.m_hSubMenu = nullptr;
            // System commands and MDI window-list items have no handlers of ours.
            state.DoUpdate(this, m_bAutoMenuEnable && id < kFirstSystemCommandId);
        }
        // A handler may have replaced items (the recent-file list moves m_nIndex past its entries).
        state.m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(popup));
    }
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* cmdUI)
{
    int key = 0;
    switch (cmdUI->m_nID) {
    case ID_INDICATOR_CAPS:
        key = VK_CAPITAL;
        break;
    case ID_INDICATOR_NUM:
        key = VK_NUMLOCK;
        break;
    case ID_INDICATOR_SCRL:
        key = VK_SCROLL;
        break;
    case ID_INDICATOR_KANA:
        key = VK_KANA;
        break;
    default:
        cmdUI->ContinueRouting();
        return;
    }
    cmdUI->Enable((::GetKeyState(key) & 1) != 0);
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* cmdUI)
{
    CControlBar* bar = GetControlBar(cmdUI->m_nID);
    if (!bar) {
        cmdUI->ContinueRouting();
        return;
    }
    cmdUI->SetCheck(bar->IsVisible() ? 1 : 0);
}

BOOL CFrameWnd::OnBarCheck(UINT id)
{
    CControlBar* bar = GetControlBar(id);
    if (!bar)
        return FALSE;
    ShowControlBar(bar, !bar->IsVisible());
    return TRUE;
}

namespace {
// The part of a command's string resource: 0 the status-bar prompt, 1 the tool tip.
CString CommandStringPart(UINT id, int part)
{
    CString text;
    if (!id || !text.LoadString(id))
        return CString();
    int newline = text.Find('\n');
    if (part == 0)
        return newline < 0 ? text : text.Left(newline);
    return newline < 0 ? CString() : text.Mid(newline + 1);
}
} // namespace

BOOL CFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnNotify(wParam, lParam, result))
        return TRUE;
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == TTN_GETDISPINFOA) {
        // Tool-bar tips: the second part of the command's string.
        NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        if (info->uFlags & TTF_IDISHWND)
            return FALSE;
        lstrcpynA(info->szText, CommandStringPart(static_cast<UINT>(header->idFrom), 1),
                  static_cast<int>(sizeof info->szText));
        info->lpszText = info->szText;
        *result = 0;
        return TRUE;
    }
    if (header->code == TTN_GETDISPINFOW) {
        NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        if (info->uFlags & TTF_IDISHWND)
            return FALSE;
        CString tip = CommandStringPart(static_cast<UINT>(header->idFrom), 1);
        ::MultiByteToWideChar(CP_ACP, 0, tip, -1, info->szText,
                              static_cast<int>(sizeof info->szText / sizeof info->szText[0]));
        info->lpszText = info->szText;
        *result = 0;
        return TRUE;
    }
    return FALSE;
}

void CFrameWnd::OnMenuSelect(UINT id, UINT flags, HMENU menu)
{
    CWnd::OnMenuSelect(id, flags, menu);
    if (flags == 0xFFFF && !menu) {
        SetMessageText(""); // the menu closed
    } else if (!(flags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU))) {
        SetMessageText(CommandStringPart(id, 0));
    }
}
