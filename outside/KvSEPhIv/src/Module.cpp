// KvSEPhIv.dll: the Reverse Phase filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEPhIv.h"
#include "PhaseKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {
    {L"All channels", {1, 1, 1, 1, 1, 1}},
    {L"Left only", {1, 0, 0, 0, 0, 0}},
    {L"Right only", {0, 1, 0, 0, 0, 0}},
};
const PageInfo kPages[] = {{&CLSID_KvSEPhIvPage, L"Reverse Phase", 0, fx::kPhaseChannels}};

const EffectInfo kInfo = {&CLSID_KvSEPhIv,
                          fx::kPhaseParams,
                          fx::kPhaseChannels,
                          kPresets,
                          3,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::PhaseKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEPhIv, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEPhIvPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
