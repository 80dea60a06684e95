// KvSELevl.dll: the Gain filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "GainKernel.h"
#include "KvSELevl.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {
    {L"+3 dB", {3, 3, 3, 3, 3, 3}},
    {L"+6 dB", {6, 6, 6, 6, 6, 6}},
    {L"-3 dB", {-3, -3, -3, -3, -3, -3}},
    {L"-6 dB", {-6, -6, -6, -6, -6, -6}},
};
const PageInfo kPages[] = {{&CLSID_KvSELevlPage, L"Gain", 0, fx::kGainChannels}};

const EffectInfo kInfo = {&CLSID_KvSELevl,
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
    {&CLSID_KvSELevl, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSELevlPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
