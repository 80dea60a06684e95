// KvSENsGt.dll: the Noise Gate and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSENsGt.h"
#include "NoiseGateKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {
    {L"Speech", {-45, 6, -30, 5, 150, 250}},
    {L"Drums", {-30, 4, -80, 0.1, 20, 60}},
};
const PageInfo kPages[] = {{&CLSID_KvSENsGtPage, L"Noise Gate", 0, fx::kGateParamCount}};

const EffectInfo kInfo = {&CLSID_KvSENsGt,
                          fx::kNoiseGateParams,
                          fx::kGateParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::NoiseGateKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSENsGt, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSENsGtPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
