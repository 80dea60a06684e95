#include "BaseWin.h"
#include "ContextMenu.h"

#include "TipWindow.h"

namespace {
IInPlaceEditHost* g_editHost = nullptr;

CWnd* OpenEdit()
{
    CWnd* edit = g_editHost ? g_editHost->GetInPlaceEdit() : nullptr;
    return edit && edit->m_hWnd && ::IsWindow(edit->m_hWnd) ? edit : nullptr;
}
} // namespace

void SetInPlaceEditHost(IInPlaceEditHost* host)
{
    g_editHost = host;
}
IInPlaceEditHost* GetInPlaceEditHost()
{
    return g_editHost;
}

BEGIN_MESSAGE_MAP(CBaseWin, CWnd)
    ON_WM_CONTEXTMENU()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONUP()
    ON_WM_NCCREATE()
    ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColorEdit)
END_MESSAGE_MAP()

CBaseWin::~CBaseWin()
{
    delete m_tip;
}

void CBaseWin::SetTip(TipWindow* tip)
{
    if (tip == m_tip)
        return;
    delete m_tip;
    m_tip = tip;
}

CWnd* CBaseWin::GetParentWnd() const
{
    return m_parent && ::IsWindow(m_parent) ? CWnd::FromHandle(m_parent) : nullptr;
}

LRESULT CBaseWin::OnCtlColorEdit(WPARAM dc, LPARAM child)
{
    LRESULT brush = ::SendMessageA(reinterpret_cast<HWND>(child), 0x2000 + WM_CTLCOLOREDIT, dc, child);
    return brush ? brush : Default();
}

BOOL CBaseWin::OnNcCreate(LPCREATESTRUCTA cs)
{
    if (!CWnd::OnNcCreate(cs))
        return FALSE;
    m_parent = ::GetParent(m_hWnd);
    return TRUE;
}

BOOL CBaseWin::PreTranslateMessage(MSG* msg)
{
    if (m_tip)
        m_tip->RelayEvent(this, msg);
    return CWnd::PreTranslateMessage(msg);
}

void CBaseWin::LeaveInPlaceEdit()
{
    CWnd* edit = OpenEdit();
    if (!edit)
        return;
    if (edit->GetStyle() & ES_READONLY)
        g_editHost->EndInPlaceEdit();
    else if (m_parent)
        ::SetFocus(m_parent);
}

UINT CBaseWin::ContextMenuId() const
{
    CWnd* parent = m_parent ? CWnd::FromHandlePermanent(m_parent) : nullptr;
    auto* view = dynamic_cast<IPaneParent*>(parent);
    return view && view->HasSelection() ? kBaseWinMenuSelection : kBaseWinMenuNoSelection;
}

void TrackContextMenu(CWnd* wnd, UINT menuId, CPoint point)
{
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(menuId));
    if (!menu)
        return;
    HMENU popup = ::GetSubMenu(menu, 0);
    if (popup) {
        if (point.x == -1 || point.y == -1) {
            // The menu key: below the window's top-left corner.
            point = CPoint(4, 4);
            wnd->ClientToScreen(&point);
        }
        HWND owner = wnd->m_hWnd;
        while (owner && (::GetWindowLongPtrA(owner, GWL_STYLE) & WS_CHILD) && ::GetParent(owner))
            owner = ::GetParent(owner);
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
    }
    ::DestroyMenu(menu);
}

void CBaseWin::OnContextMenu(CWnd*, CPoint point)
{
    LeaveInPlaceEdit();
    TrackContextMenu(this, ContextMenuId(), point);
}

void CBaseWin::OnLButtonDown(UINT flags, CPoint point)
{
    if (CWnd* edit = OpenEdit()) {
        RECT r;
        edit->GetWindowRect(&r);
        ::InflateRect(&r, -2, -4);
        POINT screen = point;
        ClientToScreen(&screen);
        if (::PtInRect(&r, screen)) {
            if (::GetFocus() != edit->m_hWnd) {
                g_editHost->RestartInPlaceEdit();
                return;
            }
            POINT inEdit = screen;
            edit->ScreenToClient(&inEdit);
            edit->SendMessage(WM_LBUTTONDOWN, flags, MAKELPARAM(inEdit.x, inEdit.y));
        } else {
            LeaveInPlaceEdit();
        }
    }
    if (m_parent && ::GetFocus() != m_parent)
        ::SetFocus(m_parent);
}

void CBaseWin::OnLButtonDblClk(UINT, CPoint)
{
    LeaveInPlaceEdit();
}

void CBaseWin::OnRButtonUp(UINT flags, CPoint point)
{
    // Only a plain right click opens the menu.
    if ((flags & (MK_LBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL)) == 0)
        CWnd::OnRButtonUp(flags, point);
}
