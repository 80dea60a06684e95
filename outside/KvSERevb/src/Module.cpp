// KvSERevb.dll: the Reverb filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSERevb.h"
#include "ReverbKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Room", {0.6, 8, 50, 70, 60, 25}}, {L"Hall", {2.8, 30, 35, 100, 40, 35}}};
const PageInfo kPages[] = {{&CLSID_KvSERevbPage, L"Reverb", 0, fx::kRevParamCount}};

const EffectInfo kInfo = {&CLSID_KvSERevb,
                          fx::kReverbParams,
                          fx::kRevParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::ReverbKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSERevb, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSERevbPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
