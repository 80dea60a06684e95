// KvSELevl.dll: the Gain filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "GainKernel.h"
#include "KvSELevl.h"

namespace {

using namespace fxkit;

const PresetSpec kPresets[] = {
    {L"+3 dB", {3, 3, 3, 3, 3, 3}},
    {L"+6 dB", {6, 6, 6, 6, 6, 6}},
    {L"-3 dB", {-3, -3, -3, -3, -3, -3}},
    {L"-6 dB", {-6, -6, -6, -6, -6, -6}},
};
const PageSpec kPages[] = {{&CLSID_KvSELevlPage, L"Gain", 0, fx::kGainChannels}};

const EffectSpec kSpec = {&CLSID_KvSELevl,
                          fx::kGainParams,
                          fx::kGainChannels,
                          kPresets,
                          4,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::GainKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSELevl, kvcom::CreateInstanceOf<SpecFilter<&kSpec>>},
    {&CLSID_KvSELevlPage, kvcom::CreateInstanceOf<EffectPageOf<&kSpec, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
