// CMDIFrameWnd, CMDIChildWnd and CMiniFrameWnd.
#include "FwFrame.h"
#include "FwApp.h"
#include "FwDocument.h"
#include "FwView.h"

namespace {
const UINT kFirstMDIChildId = 0xFF00;
} // namespace

// ============================================================================================
// CMDIFrameWnd

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_COMMAND(ID_WINDOW_NEW, OnWindowNew)
    ON_COMMAND_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnMDIWindowCmd)
    ON_UPDATE_COMMAND_UI_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_NEW, OnUpdateMDIWindowCmd)
END_MESSAGE_MAP()

HMENU CMDIFrameWnd::GetWindowMenuPopup(HMENU menuBar)
{
    if (!menuBar)
        return nullptr;
    int count = ::GetMenuItemCount(menuBar);
    for (int i = 0; i < count; ++i) {
        char text[64] = "";
        ::GetMenuStringA(menuBar, static_cast<UINT>(i), text, static_cast<int>(sizeof text), MF_BYPOSITION);
        if (lstrcmpiA(text, "&Window") == 0 || lstrcmpiA(text, "Window") == 0)
            return ::GetSubMenu(menuBar, i);
    }
    return count >= 2 ? ::GetSubMenu(menuBar, count - 2) : nullptr;
}

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext*)
{
    CLIENTCREATESTRUCT ccs = {};
    ccs.hWindowMenu = GetWindowMenuPopup(m_hMenuDefault);
    ccs.idFirstChild = kFirstMDIChildId;
    m_hWndMDIClient = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0,
        0, 0, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)), AfxGetInstanceHandle(), &ccs);
    return m_hWndMDIClient != nullptr;
}

void CMDIFrameWnd::LayoutClient(const CRect& rect)
{
    if (m_hWndMDIClient)
        ::MoveWindow(m_hWndMDIClient, rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefFrameProcA(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* maximized) const
{
    BOOL max = FALSE;
    HWND active = m_hWndMDIClient ? reinterpret_cast<HWND>(::SendMessageA(m_hWndMDIClient, WM_MDIGETACTIVE, 0,
                                                                          reinterpret_cast<LPARAM>(&max)))
                                  : nullptr;
    if (maximized)
        *maximized = max;
    CWnd* wnd = CWnd::FromHandlePermanent(active);
    return wnd && wnd->IsKindOf(RUNTIME_CLASS(CMDIChildWnd)) ? static_cast<CMDIChildWnd*>(wnd) : nullptr;
}

void CMDIFrameWnd::MDIActivate(CWnd* child)
{
    if (child && child->m_hWnd)
        ::SendMessageA(m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child->m_hWnd), 0);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

void CMDIFrameWnd::OnUpdateFrameMenu(HMENU menuAlt)
{
    HMENU menu = menuAlt;
    if (!menu) {
        CMDIChildWnd* child = MDIGetActive();
        menu = child && child->m_hMenuShared ? child->m_hMenuShared : m_hMenuDefault;
    }
    if (!menu || !m_hWndMDIClient)
        return;
    ::SendMessageA(m_hWndMDIClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu),
                   reinterpret_cast<LPARAM>(GetWindowMenuPopup(menu)));
    DrawMenuBar();
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (!(GetStyle() & FWS_ADDTOTITLE))
        return;
    BOOL maximized = FALSE;
    CMDIChildWnd* child = MDIGetActive(&maximized);
    if (addToTitle && child && !maximized) {
        CString childTitle;
        child->GetWindowText(childTitle);
        UpdateFrameTitleForDocument(childTitle.IsEmpty() ? nullptr : static_cast<const char*>(childTitle));
    } else {
        // A maximized child's title is shown by the system next to ours.
        UpdateFrameTitleForDocument(nullptr);
    }
}

BOOL CMDIFrameWnd::OnCmdMsg(kvfw::CmdRequest& request)
{
    // The active child (its view, document and itself) comes first.
    if (CMDIChildWnd* child = MDIGetActive())
        if (child->OnCmdMsg(request))
            return TRUE;
    return CFrameWnd::OnCmdMsg(request);
}

BOOL CMDIFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Entries of the window list belong to the MDI client.
    if (!lParam && LOWORD(wParam) >= kFirstMDIChildId)
        return FALSE;
    return CFrameWnd::OnCommand(wParam, lParam);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* msg)
{
    if (kvfw::IsAcceleratorKey(msg)) {
        if (m_hWndMDIClient && ::TranslateMDISysAccel(m_hWndMDIClient, msg))
            return TRUE;
        if (m_hAccelTable && ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg))
            return TRUE;
    }
    return FALSE;
}

void CMDIFrameWnd::OnWindowNew()
{
    CMDIChildWnd* child = MDIGetActive();
    CDocument* doc = child ? child->GetActiveDocument() : nullptr;
    CDocTemplate* tpl = doc ? doc->GetDocTemplate() : nullptr;
    if (!tpl)
        return;
    CFrameWnd* frame = tpl->CreateNewFrame(doc, child);
    if (frame)
        tpl->InitialUpdateFrame(frame, doc);
}

void CMDIFrameWnd::OnMDIWindowCmd(UINT id)
{
    switch (id) {
    case ID_WINDOW_ARRANGE:
        MDIIconArrange();
        break;
    case ID_WINDOW_CASCADE:
        MDICascade();
        break;
    case ID_WINDOW_TILE_HORZ:
        MDITile(MDITILE_HORIZONTAL);
        break;
    case ID_WINDOW_TILE_VERT:
        MDITile(MDITILE_VERTICAL);
        break;
    default:
        break;
    }
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* cmdUI)
{
    cmdUI->Enable(MDIGetActive() != nullptr);
}

// ============================================================================================
// CMDIChildWnd

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
    ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivateMessage)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    HWND client = ::GetParent(m_hWnd);
    CWnd* frame = CWnd::FromHandlePermanent(client ? ::GetParent(client) : nullptr);
    return frame && frame->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)) ? static_cast<CMDIFrameWnd*>(frame) : nullptr;
}

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return CFrameWnd::PreCreateWindow(cs);
}

BOOL CMDIChildWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context)
{
    m_nIDResource = resourceId;
    if (context && context->m_pNewDocTemplate) {
        m_hMenuShared = context->m_pNewDocTemplate->m_hMenuShared;
        m_hAccelTable = context->m_pNewDocTemplate->m_hAccelTable;
    } else {
        m_hMenuShared = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId));
        m_hAccelTable = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId));
    }
    if (!Create(nullptr, "", style, CRect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0), parent, nullptr, 0, context))
        return FALSE;
    HICON icon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId));
    if (icon)
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return TRUE;
}

BOOL CMDIChildWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                          const char*, DWORD exStyle, CCreateContext* context)
{
    CWnd* owner = parent ? parent : AfxGetMainWnd();
    if (!owner || !owner->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)))
        return FALSE;
    CMDIFrameWnd* frame = static_cast<CMDIFrameWnd*>(owner);
    m_strTitle = title ? title : "";

    CREATESTRUCTA cs = {};
    cs.lpszClass = className;
    cs.lpszName = title;
    cs.style = style | WS_CHILD;
    cs.dwExStyle = exStyle;
    bool useDefault = rect.left == CW_USEDEFAULT;
    cs.x = useDefault ? CW_USEDEFAULT : rect.left;
    cs.y = useDefault ? CW_USEDEFAULT : rect.top;
    cs.cx = useDefault ? CW_USEDEFAULT : rect.right - rect.left;
    cs.cy = useDefault ? CW_USEDEFAULT : rect.bottom - rect.top;
    cs.hwndParent = frame->m_hWndMDIClient;
    cs.hInstance = AfxGetInstanceHandle();
    if (!PreCreateWindow(cs)) {
        PostNcDestroy(); // as a window that failed to be created: the object goes
        return FALSE;
    }

    // Created hidden through the MDI client; ActivateFrame shows it once the view is ready.
    MDICREATESTRUCTA mcs = {};
    mcs.szClass = cs.lpszClass;
    mcs.szTitle = cs.lpszName ? cs.lpszName : "";
    mcs.hOwner = cs.hInstance;
    mcs.x = cs.x;
    mcs.y = cs.y;
    mcs.cx = cs.cx;
    mcs.cy = cs.cy;
    mcs.style = cs.style & ~(WS_VISIBLE | WS_MAXIMIZE);
    m_pPendingContext = context;
    SetPendingCreate(this);
    HWND hwnd =
        reinterpret_cast<HWND>(::SendMessageA(frame->m_hWndMDIClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    bool neverAttached = GetPendingCreate() == this;
    SetPendingCreate(nullptr);
    if (!hwnd) {
        // Without a first message the window's end never came to delete the object.
        if (neverAttached)
            PostNcDestroy();
        return FALSE;
    }
    m_pPendingContext = nullptr;
    // The extended style asked for by PreCreateWindow (MDI creation does not take one).
    DWORD ex = GetExStyle();
    DWORD wanted = (ex & ~WS_EX_CLIENTEDGE) | (cs.dwExStyle & ~WS_EX_MDICHILD);
    if (wanted != ex)
        ModifyStyleEx(ex & ~wanted, wanted & ~ex, SWP_FRAMECHANGED);
    return TRUE;
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefMDIChildProcA(m_hWnd, message, wParam, lParam);
}

BOOL CMDIChildWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND client = ::GetParent(m_hWnd);
    ::SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return TRUE;
}

void CMDIChildWnd::MDIActivate()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIMaximize()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}
void CMDIChildWnd::MDIRestore()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_MDIRESTORE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::ActivateFrame(int cmdShow)
{
    if (cmdShow == -1)
        cmdShow = IsIconic() ? SW_RESTORE : SW_SHOW;
    ShowWindow(cmdShow);
    MDIActivate();
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->OnUpdateFrameMenu(m_hMenuShared);
}

LRESULT CMDIChildWnd::OnMDIActivateMessage(WPARAM deactivated, LPARAM activated)
{
    Default();
    CMDIFrameWnd* frame = GetMDIFrame();
    bool activating = reinterpret_cast<HWND>(activated) == m_hWnd;
    if (frame) {
        if (activating)
            frame->OnUpdateFrameMenu(m_hMenuShared);
        else if (!activated)
            frame->OnUpdateFrameMenu(frame->m_hMenuDefault);
    }
    if (m_pViewActive && m_pViewActive->m_hWnd) {
        if (activating)
            m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
        else if (reinterpret_cast<HWND>(deactivated) == m_hWnd)
            m_pViewActive->OnActivateView(FALSE, m_pViewActive, m_pViewActive);
    }
    return 0;
}

void CMDIChildWnd::OnDestroy()
{
    CFrameWnd::OnDestroy();
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame)
        return;
    // The last child going gives the frame its own menu back.
    for (HWND sibling = ::GetWindow(frame->m_hWndMDIClient, GW_CHILD); sibling;
         sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling == m_hWnd)
            continue;
        CWnd* wnd = CWnd::FromHandlePermanent(sibling);
        if (wnd && wnd->IsKindOf(RUNTIME_CLASS(CMDIChildWnd)))
            return;
    }
    frame->OnUpdateFrameMenu(frame->m_hMenuDefault);
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->OnUpdateFrameTitle(addToTitle);
    if (!(GetStyle() & FWS_ADDTOTITLE))
        return;
    CDocument* doc = GetActiveDocument();
    CString text = (addToTitle && doc) ? doc->GetTitle() : m_strTitle;
    if (addToTitle && doc && m_nWindow > 0) {
        CString number;
        number.Format(":%d", m_nWindow);
        text += number;
    }
    if (!AfxSetWindowText(m_hWnd, text))
        return;
    // The client's window list keeps the title a child had when it was listed.
    if (CMDIFrameWnd* frame = GetMDIFrame(); frame && frame->m_hWndMDIClient) {
        ::SendMessageA(frame->m_hWndMDIClient, WM_MDIREFRESHMENU, 0, 0);
        ::DrawMenuBar(frame->m_hWnd);
    }
}

BOOL CMDIChildWnd::PreTranslateMessage(MSG* msg)
{
    CMDIFrameWnd* frame = GetMDIFrame();
    if (kvfw::IsAcceleratorKey(msg) && frame && m_hAccelTable &&
        ::TranslateAcceleratorA(frame->m_hWnd, m_hAccelTable, msg))
        return TRUE;
    return FALSE;
}

// ============================================================================================
// CMiniFrameWnd

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
END_MESSAGE_MAP()

BOOL CMiniFrameWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                           UINT id)
{
    return CreateEx(0, className, title, style, rect, parent, id);
}

BOOL CMiniFrameWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                             CWnd* parent, UINT id)
{
    m_strTitle = title ? title : "";
    bool child = (style & WS_CHILD) != 0;
    if (!child) {
        style |= WS_POPUP;
        exStyle |= WS_EX_TOOLWINDOW;
        if (!(style & WS_CAPTION))
            style |= WS_CAPTION | WS_SYSMENU;
    }
    CString text = m_strTitle;
    return CWnd::CreateEx(exStyle, className, text, style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                          child ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr, nullptr);
}
