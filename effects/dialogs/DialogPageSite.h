// DialogPageSite: the IPropertyPageSite a dialog embeds in its interface map to host effect
// pages: its identity and count are the dialog's; a page that reports a change has the page
// shown applied at once (so the filter always holds what the page shows); the page's keys go
// through the dialog's PreTranslateMessage.
//
//   struct ... DialogPageSite m_site;                       // member of the dialog
//   INTERFACE_PART(CMyDialog, IID_IPropertyPageSite, m_site)
//   m_site.Bind(this, [this] { ApplyCurrentPage(); });      // in the constructor
#pragma once
#include "Framework.h"

#include <functional>

#include <ocidl.h>

struct DialogPageSite : IPropertyPageSite {
    void Bind(CWnd* dialog, std::function<void()> applyShownPage)
    {
        owner = dialog;
        apply = std::move(applyShownPage);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP OnStatusChange(DWORD flags) override;
    STDMETHODIMP GetLocaleID(LCID* locale) override;
    // Always E_FAIL: there is no container.
    STDMETHODIMP GetPageContainer(IUnknown** container) override;
    // S_OK when the dialog took the message, else S_FALSE.
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

    CWnd* owner = nullptr;
    std::function<void()> apply;
};
