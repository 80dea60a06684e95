#include "FwCmdTarget.h"
#include "FwWnd.h"

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base)
            return TRUE;
    return FALSE;
}

const CRuntimeClass CObject::kRuntimeClass = {"CObject", nullptr, nullptr};
IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const kvfw::MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const kvfw::MessageEntry entries[] = {{kvfw::EntryKind::End, 0, 0, 0, nullptr, nullptr, nullptr}};
    static const kvfw::MessageMap map = {nullptr, entries};
    return &map;
}

const kvfw::MessageMap* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const kvfw::InterfaceMap* CCmdTarget::GetThisInterfaceMap()
{
    static const kvfw::InterfaceEntry entries[] = {{nullptr, nullptr}};
    static const kvfw::InterfaceMap map = {nullptr, entries};
    return &map;
}

const kvfw::InterfaceMap* CCmdTarget::GetInterfaceMap() const
{
    return GetThisInterfaceMap();
}

void* CCmdTarget::GetInterface(const IID* iid)
{
    // {00000000-0000-0000-C000-000000000046}
    static const IID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0, 0, 0, 0, 0, 0x46}};
    if (!iid)
        return nullptr;
    bool unknown = ::IsEqualIID(*iid, kIUnknown) != FALSE;
    for (const kvfw::InterfaceMap* map = GetInterfaceMap(); map; map = map->base ? map->base() : nullptr) {
        for (const kvfw::InterfaceEntry* e = map->entries; e->iid; ++e)
            if (unknown || ::IsEqualIID(*iid, *e->iid))
                return e->get(this);
    }
    return nullptr;
}

HRESULT CCmdTarget::ExternalQueryInterface(const IID* iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = GetInterface(iid);
    if (!*out)
        return E_NOINTERFACE;
    ExternalAddRef();
    return S_OK;
}

BOOL CCmdTarget::DispatchCmdMsg(kvfw::CmdRequest& request)
{
    kvfw::EntryKind wanted = request.route == kvfw::Route::Command    ? kvfw::EntryKind::Command
                             : request.route == kvfw::Route::UpdateUI ? kvfw::EntryKind::UpdateUI
                                                                      : kvfw::EntryKind::Notify;
    for (const kvfw::MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const kvfw::MessageEntry* e = map->entries; e->kind != kvfw::EntryKind::End; ++e) {
            if (e->kind != wanted || request.id < e->first || request.id > e->last)
                continue;
            if (wanted != kvfw::EntryKind::UpdateUI && e->message != request.code)
                continue;
            if (request.probeOnly)
                return TRUE;
            if (wanted == kvfw::EntryKind::UpdateUI) {
                request.cmdUI->m_bContinueRouting = FALSE;
                e->onCommand(this, request);
                if (!request.cmdUI->m_bContinueRouting)
                    return TRUE;
                continue;
            }
            if (e->onCommand(this, request))
                return TRUE;
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(kvfw::CmdRequest& request)
{
    return DispatchCmdMsg(request);
}

BOOL CCmdTarget::RouteCommand(UINT id)
{
    kvfw::CmdRequest request;
    request.id = id;
    return OnCmdMsg(request);
}

void CCmdTarget::BeginWaitCursor()
{
    ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
}
void CCmdTarget::EndWaitCursor()
{
    ::SetCursor(AfxArrowCursor());
}

// ---- CCmdUI: menu items and plain controls ---------------------------------------------------

void CCmdUI::Enable(BOOL on)
{
    if (m_hMenu) {
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther) {
        // A control losing the focus by being disabled would trap the keyboard; move it on.
        if (!on && ::GetFocus() == m_pOther->m_hWnd)
            ::SendMessage(::GetParent(m_pOther->m_hWnd), WM_NEXTDLGCTL, 0, FALSE);
        ::EnableWindow(m_pOther->m_hWnd, on);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check)
{
    if (m_hMenu) {
        ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther) {
        UINT code = static_cast<UINT>(::SendMessage(m_pOther->m_hWnd, WM_GETDLGCODE, 0, 0));
        if (code & DLGC_BUTTON)
            ::SendMessage(m_pOther->m_hWnd, BM_SETCHECK, static_cast<WPARAM>(check), 0);
    }
}

void CCmdUI::SetRadio(BOOL on)
{
    if (m_hMenu) {
        if (on)
            ::CheckMenuRadioItem(m_hMenu, m_nIndex, m_nIndex, m_nIndex, MF_BYPOSITION);
        else
            ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | MF_UNCHECKED);
    } else {
        SetCheck(on ? 1 : 0);
    }
}

void CCmdUI::SetText(const char* text)
{
    if (m_hMenu) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<char*>(text ? text : "");
        ::SetMenuItemInfoA(m_hMenu, m_nIndex, TRUE, &info);
    } else if (m_pOther) {
        AfxSetWindowText(m_pOther->m_hWnd, text);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler)
{
    if (!target)
        return FALSE;
    m_bEnableChanged = FALSE;
    kvfw::CmdRequest request;
    request.route = kvfw::Route::UpdateUI;
    request.id = m_nID;
    request.cmdUI = this;
    BOOL handled = target->OnCmdMsg(request);
    // An update handler that leaves the enabled state alone gets the same rule as no handler.
    if (disableIfNoHandler && !m_bEnableChanged) {
        kvfw::CmdRequest probe;
        probe.id = m_nID;
        probe.probeOnly = true;
        Enable(target->OnCmdMsg(probe));
    }
    return handled;
}
