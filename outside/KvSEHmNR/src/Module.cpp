// KvSEHmNR.dll: the Hum Noise filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "HumKernel.h"
#include "KvSEHmNR.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"50 Hz", {0, 10, 4}}, {L"60 Hz", {1, 10, 4}}};
const PageInfo kPages[] = {{&CLSID_KvSEHmNRPage, L"Hum Noise", 0, fx::kHumParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEHmNR,
                          fx::kHumParams,
                          fx::kHumParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::HumKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEHmNR, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEHmNRPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
