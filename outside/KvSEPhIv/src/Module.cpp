// KvSEPhIv.dll: the Reverse Phase filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEPhIv.h"
#include "PhaseKernel.h"

namespace {

using namespace fxkit;

const PresetSpec kPresets[] = {
    {L"All channels", {1, 1, 1, 1, 1, 1}},
    {L"Left only", {1, 0, 0, 0, 0, 0}},
    {L"Right only", {0, 1, 0, 0, 0, 0}},
};
const PageSpec kPages[] = {{&CLSID_KvSEPhIvPage, L"Reverse Phase", 0, fx::kPhaseChannels}};

const EffectSpec kSpec = {&CLSID_KvSEPhIv,
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
    {&CLSID_KvSEPhIv, kvcom::CreateInstanceOf<SpecFilter<&kSpec>>},
    {&CLSID_KvSEPhIvPage, kvcom::CreateInstanceOf<EffectPageOf<&kSpec, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
