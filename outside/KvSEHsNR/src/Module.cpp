// KvSEHsNR.dll: the Hiss Noise filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "HissKernel.h"
#include "KvSEHsNR.h"

namespace {

using namespace fxkit;

const PresetSpec kPresets[] = {{L"Light", {10, 6000, 4}}, {L"Strong", {24, 3000, 8}}};
const PageSpec kPages[] = {{&CLSID_KvSEHsNRPage, L"Hiss Noise", 0, fx::kHissParamCount}};

const EffectSpec kSpec = {&CLSID_KvSEHsNR,
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
    {&CLSID_KvSEHsNR, kvcom::CreateInstanceOf<SpecFilter<&kSpec>>},
    {&CLSID_KvSEHsNRPage, kvcom::CreateInstanceOf<EffectPageOf<&kSpec, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
