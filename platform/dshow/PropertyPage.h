// PropertyPage: IPropertyPage over a dialog resource of the module. A page derives from it,
// calls Setup in its constructor, and is made a COM object with ComObject<DerivedPage...>
// (PropertyPage answers IID_IPropertyPage). Hooks: OnConnect (take the object's settings
// interface), OnDisconnect, OnActivate (fill the controls), OnApplyChanges, OnReceiveMessage.
// A control change calls SetDirty so the frame enables Apply.
#pragma once
#include "ComObject.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>

struct PropertyPage : IPropertyPage {
    virtual ~PropertyPage();

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT cmdShow) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

    HWND Window() const { return m_dlg; }

protected:
    // instance: the module holding dialog template dialogId; title: the tab's text.
    void Setup(HINSTANCE instance, int dialogId, const wchar_t* title);
    void SetDirty(bool dirty = true);

    virtual HRESULT OnConnect(IUnknown* object) = 0;
    virtual void OnDisconnect() {}
    virtual void OnActivate() {}
    virtual void OnDeactivate() {}
    virtual HRESULT OnApplyChanges() { return S_OK; }
    // Dialog messages after WM_INITDIALOG; return TRUE when handled.
    virtual INT_PTR OnReceiveMessage(UINT, WPARAM, LPARAM) { return FALSE; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

    HINSTANCE m_instance = nullptr;
    int m_dialogId = 0;
    std::wstring m_title;
    HWND m_dlg = nullptr;
    IPropertyPageSite* m_site = nullptr;
    bool m_dirty = false;
    bool m_connected = false;
    bool m_activating = false;
};

template <>
inline const IID& kvcom::InterfaceIdOf<PropertyPage>()
{
    return IID_IPropertyPage;
}
