// AttributePage: the "Sample Type" property page of the attribute filter: sample rate (a list
// of the usual rates, or typed), bits per sample (8, 16, 24, 32 float) and the precision value.
#pragma once
#include "ComRef.h"
#include "IAttributeSettings.h"
#include "PropertyPage.h"

class AttributePage : public ComObject<PropertyPage> {
public:
    AttributePage();
    ~AttributePage() override;

    // The module whose dialog template the page shows (set by the module at load).
    static HINSTANCE& ModuleInstance();

protected:
    HRESULT OnConnect(IUnknown* object) override;
    void OnDisconnect() override;
    void OnActivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    ComRef<IAttributeSettings> m_settings;
};
