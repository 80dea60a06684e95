// KvSEHsNR.dll: the Hiss Noise filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "HissKernel.h"
#include "KvSEHsNR.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Light", {10, 6000, 4}}, {L"Strong", {24, 3000, 8}}};
const PageInfo kPages[] = {{&CLSID_KvSEHsNRPage, L"Hiss Noise", 0, fx::kHissParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEHsNR,
                          fx::kHissParams,
                          fx::kHissParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::HissKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEHsNR, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEHsNRPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
