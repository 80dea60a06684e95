// KvSEPtch.dll: the Pitch Shift filter with IPitchShiftSettings, and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEPtch.h"
#include "PitchShiftKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Octave up", {12}}, {L"Octave down", {-12}}};
const PageInfo kPages[] = {{&CLSID_KvSEPtchPage, L"Pitch Shift", 0, fx::kPitchParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEPtch,
                          fx::kPitchShiftParams,
                          fx::kPitchParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::PitchShiftKernel>};

class PitchShiftFilter : public ComExtend<EffectFilter, IPitchShiftSettings> {
public:
    PitchShiftFilter() : ComExtend(kInfo) {}
    STDMETHODIMP SetPreviewMode(int preview) override
    {
        static_cast<fx::PitchShiftKernel*>(Kernel())->SetPreview(preview == 1);
        return S_OK;
    }
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEPtch, kvcom::CreateInstanceOf<PitchShiftFilter>},
    {&CLSID_KvSEPtchPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
