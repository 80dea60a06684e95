#include "DialogPageSite.h"

STDMETHODIMP DialogPageSite::QueryInterface(REFIID iid, void** out)
{
    return owner->ExternalQueryInterface(&iid, out);
}

STDMETHODIMP_(ULONG) DialogPageSite::AddRef()
{
    return owner->ExternalAddRef();
}

STDMETHODIMP_(ULONG) DialogPageSite::Release()
{
    return owner->ExternalRelease();
}

STDMETHODIMP DialogPageSite::OnStatusChange(DWORD)
{
    if (apply)
        apply();
    return S_OK;
}

STDMETHODIMP DialogPageSite::GetLocaleID(LCID* locale)
{
    if (!locale)
        return E_POINTER;
    *locale = ::GetThreadLocale();
    return S_OK;
}

STDMETHODIMP DialogPageSite::GetPageContainer(IUnknown** container)
{
    if (container)
        *container = nullptr;
    return E_FAIL;
}

STDMETHODIMP DialogPageSite::TranslateAccelerator(MSG* msg)
{
    return msg && owner->PreTranslateMessage(msg) ? S_OK : S_FALSE;
}
