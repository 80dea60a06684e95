#include "PropertyPage.h"

#include <cstring>

PropertyPage::~PropertyPage()
{
    if (m_dlg)
        DestroyWindow(m_dlg);
    if (m_site)
        m_site->Release();
}

void PropertyPage::Setup(HINSTANCE instance, int dialogId, const wchar_t* title)
{
    m_instance = instance;
    m_dialogId = dialogId;
    m_title = title ? title : L"";
}

void PropertyPage::SetDirty(bool dirty)
{
    if (m_activating)
        return; // filling the controls is no change
    m_dirty = dirty;
    if (m_site)
        m_site->OnStatusChange(dirty ? PROPPAGESTATUS_DIRTY : PROPPAGESTATUS_CLEAN);
}

STDMETHODIMP PropertyPage::SetPageSite(IPropertyPageSite* site)
{
    if (site && m_site)
        return E_UNEXPECTED;
    if (site)
        site->AddRef();
    if (m_site)
        m_site->Release();
    m_site = site;
    return S_OK;
}

STDMETHODIMP PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL)
{
    if (!rect)
        return E_POINTER;
    if (m_dlg)
        return E_UNEXPECTED;
    m_activating = true;
    HWND dlg = CreateDialogParamW(m_instance, MAKEINTRESOURCEW(m_dialogId), parent, DialogProc,
                                  reinterpret_cast<LPARAM>(this));
    if (!dlg) {
        m_activating = false;
        return E_OUTOFMEMORY;
    }
    m_dlg = dlg;
    OnActivate();
    m_activating = false;
    Move(rect);
    return S_OK;
}

STDMETHODIMP PropertyPage::Deactivate()
{
    if (!m_dlg)
        return E_UNEXPECTED;
    OnDeactivate();
    DestroyWindow(m_dlg);
    m_dlg = nullptr;
    return S_OK;
}

STDMETHODIMP PropertyPage::GetPageInfo(PROPPAGEINFO* info)
{
    if (!info)
        return E_POINTER;
    std::memset(info, 0, sizeof(*info));
    info->cb = sizeof(*info);
    size_t bytes = (m_title.size() + 1) * sizeof(WCHAR);
    info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!info->pszTitle)
        return E_OUTOFMEMORY;
    std::memcpy(info->pszTitle, m_title.c_str(), bytes);
    info->size.cx = 300;
    info->size.cy = 150;
    // The dialog's own size when its template can be created hidden.
    HWND probe = CreateDialogParamW(m_instance, MAKEINTRESOURCEW(m_dialogId), GetDesktopWindow(), DialogProc, 0);
    if (probe) {
        RECT r;
        GetWindowRect(probe, &r);
        info->size.cx = r.right - r.left;
        info->size.cy = r.bottom - r.top;
        DestroyWindow(probe);
    }
    return S_OK;
}

STDMETHODIMP PropertyPage::SetObjects(ULONG count, IUnknown** objects)
{
    if (count == 0) {
        if (m_connected)
            OnDisconnect();
        m_connected = false;
        return S_OK;
    }
    if (!objects || !objects[0])
        return E_POINTER;
    if (m_connected)
        OnDisconnect();
    HRESULT hr = OnConnect(objects[0]);
    m_connected = SUCCEEDED(hr);
    return hr;
}

STDMETHODIMP PropertyPage::Show(UINT cmdShow)
{
    if (!m_dlg)
        return E_UNEXPECTED;
    ShowWindow(m_dlg, cmdShow);
    return S_OK;
}

STDMETHODIMP PropertyPage::Move(LPCRECT rect)
{
    if (!rect)
        return E_POINTER;
    if (!m_dlg)
        return E_UNEXPECTED;
    MoveWindow(m_dlg, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP PropertyPage::IsPageDirty()
{
    return m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP PropertyPage::Apply()
{
    if (!m_connected)
        return E_UNEXPECTED;
    if (!m_dirty)
        return S_OK;
    HRESULT hr = OnApplyChanges();
    if (SUCCEEDED(hr))
        SetDirty(false);
    return hr;
}

STDMETHODIMP PropertyPage::Help(LPCOLESTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP PropertyPage::TranslateAccelerator(MSG* msg)
{
    if (!msg)
        return E_POINTER;
    return m_dlg && IsDialogMessageW(m_dlg, msg) ? S_OK : S_FALSE;
}

INT_PTR CALLBACK PropertyPage::DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        if (lp)
            reinterpret_cast<PropertyPage*>(lp)->m_dlg = dlg;
        return TRUE;
    }
    auto* page = reinterpret_cast<PropertyPage*>(GetWindowLongPtrW(dlg, DWLP_USER));
    if (!page || page->m_dlg != dlg)
        return FALSE;
    return page->OnReceiveMessage(msg, wp, lp);
}
