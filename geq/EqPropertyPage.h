// The equaliser's two property pages: EqPropertyPage ("IIR Graphic EQ", dialog 101) and
// FirEqPropertyPage ("FIR Graphic EQ", dialog 102). Each shows ten band sliders and a master
// slider with an edit box each and a Reset button; edits apply at once through IGraphicEq.
// The page set up or edited last decides the filter's mode. Bands at or above half the
// document's rate (IGraphicEq::GetSampleRate) are greyed out.
#pragma once
#include "ComRef.h"
#include "IGraphicEq.h"
#include "PropertyPage.h"
#include "SkinSlider.h"

#include <memory>

namespace geq {

constexpr int kSliderCount = 11; // ten bands and the master
constexpr int kPageNotifyId = 32700;

class EqPageBase : public PropertyPage {
public:
    EqPageBase() = default;
    ~EqPageBase() override;

    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return E_NOTIMPL; }

protected:
    HRESULT OnConnect(IUnknown* object) override;
    void OnDisconnect() override;
    void OnActivate() override;
    INT_PTR OnReceiveMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    // index 0: IIR page, 1: FIR page; called by the final class's constructor.
    void InitPage(int index);
    virtual void InitControls();
    virtual void ApplyMode() = 0;

    IGraphicEq* Eq() const { return m_eq.Get(); }

private:
    struct SliderRecord {
        int sliderId = 0;
        int editId = 0;
        std::unique_ptr<SkinSlider> slider;
        float minimum = -60.0f;
        float maximum = 20.0f;
        float value = 0.0f;
    };

    int GetParam(int k);
    void SetParam(int k, int tenthsDb);
    void ShowValue(int k);
    void RefreshFromFilter();
    void EnableBandsForRate();
    void OnReset();
    void OnEditDone(int k);
    void OnSlider(HWND slider);
    void CloseHelp();

    int m_index = 0;
    ComRef<IGraphicEq> m_eq;
    HWND m_dialog = nullptr;
    SliderRecord m_records[kSliderCount];
};

class EqPropertyPage : public ComObject<EqPageBase> {
public:
    EqPropertyPage();

protected:
    void ApplyMode() override;
};

class FirEqPropertyPage : public ComObject<EqPageBase> {
public:
    FirEqPropertyPage();

protected:
    void ApplyMode() override;
};

} // namespace geq

template <>
inline const IID& kvcom::InterfaceIdOf<geq::EqPageBase>()
{
    return IID_IPropertyPage;
}
