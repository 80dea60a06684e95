// KvSENorm.dll: the Normalize filter with INormalizeSettings, and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSENorm.h"
#include "NormalizeParams.h"
#include "PeakNormalize.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"0 dBFS", {0}}, {L"-1 dBFS", {-1}}, {L"-3 dBFS", {-3}}};
const PageInfo kPages[] = {{&CLSID_KvSENormPage, L"Normalize", 0, 1}};

std::unique_ptr<EffectKernel> NewKernel()
{
    return std::make_unique<PeakNormalizeKernel>(false);
}

const EffectInfo kInfo = {
    &CLSID_KvSENorm, fx::kNormalizeParams, 1, kPresets, 3, kPages, 1, 1, 0, kMono | kStereo | kSix, 0, true, NewKernel};

class NormalizeFilter : public ComExtend<EffectFilter, INormalizeSettings> {
public:
    NormalizeFilter() : ComExtend(kInfo) {}
    STDMETHODIMP GetMeasuredPeak(double* peak) override
    {
        if (!peak)
            return E_POINTER;
        *peak = static_cast<PeakNormalizeKernel*>(Kernel())->MeasuredPeak();
        return S_OK;
    }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP SetMeasuringMode(int mode) override { return EffectFilter::SetMeasuringMode(mode); }
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSENorm, kvcom::CreateInstanceOf<NormalizeFilter>},
    {&CLSID_KvSENormPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
