// KvSEAveg.dll: the Smoothing filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEAveg.h"
#include "SmoothingKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Light", {1, 1}}, {L"Medium", {5, 2}}, {L"Strong", {14, 3}}};
const PageInfo kPages[] = {{&CLSID_KvSEAvegPage, L"Smoothing", 0, fx::kAvgParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEAveg,
                          fx::kSmoothingParams,
                          fx::kAvgParamCount,
                          kPresets,
                          3,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::SmoothingKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEAveg, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEAvegPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
