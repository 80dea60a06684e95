// KvSECrNR.dll: the Crackle Noise filter and its page.
#include "CrackleKernel.h"
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSECrNR.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Light", {35, 2}}, {L"Strong", {75, 5}}};
const PageInfo kPages[] = {{&CLSID_KvSECrNRPage, L"Crackle Noise", 0, fx::kCrackleParamCount}};

const EffectInfo kInfo = {&CLSID_KvSECrNR,
                          fx::kCrackleParams,
                          fx::kCrackleParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::CrackleKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSECrNR, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSECrNRPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
