// EffectPage: the property page of a kit effect, built from its parameter table. Each value of
// the page's slice is one row: a label, a skinned slider, an edit box and the unit, or a list
// for a choice; on the skinned background of the equaliser's pages. A change in a control
// (a slider move, a number typed, a list choice) clamps the value to the filter's limits and
// reports the page dirty to its site, whose Apply writes the values into the filter
// (IEffectParameters). SetObjects re-reads the filter.
//
//   const kvcom::ClassEntry kClasses[] = {{&kClsidPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>}};
#pragma once
#include "ComRef.h"
#include "EffectFilter.h"
#include "PropertyPage.h"
#include "SkinSlider.h"

#include <memory>
#include <vector>

namespace fxkit {

class EffectPage : public PropertyPage {
public:
    EffectPage() = default;
    ~EffectPage() override;

protected:
    // Called by the final class's constructor.
    void Init(const EffectInfo& desc, int pageIndex);
    HRESULT OnConnect(IUnknown* object) override;
    void OnDisconnect() override;
    void OnActivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    struct Row {
        int param = 0;
        HWND slider = nullptr, edit = nullptr, list = nullptr, unit = nullptr;
        std::unique_ptr<geq::SkinSlider> skin;
        double value = 0;
        // What the controls show, so that a refresh leaves unchanged rows alone.
        double shownValue = 0, shownMin = 0, shownMax = 0;
        bool shown = false;
    };

    void BuildRows();
    void ReadFilter();
    void ShowRow(Row& row);
    void Change(Row& row, double value);
    double SliderToValue(const Row& row, double position) const;
    double ValueToSlider(const Row& row, double value) const;
    void Range(const Row& row, double& minimum, double& maximum) const;

    const EffectInfo* m_info = nullptr;
    const PageInfo* m_page = nullptr;
    ComRef<IEffectParameters> m_params;
    std::vector<Row> m_rows;
    bool m_showing = false;
};

template <const EffectInfo* S, int Index>
class EffectPageOf : public ComObject<EffectPage> {
public:
    EffectPageOf() { Init(*S, Index); }
};

} // namespace fxkit

template <>
inline const IID& kvcom::InterfaceIdOf<fxkit::EffectPage>()
{
    return IID_IPropertyPage;
}
