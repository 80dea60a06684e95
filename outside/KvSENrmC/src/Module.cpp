// KvSENrmC.dll: the Channel Normalize filter and its page.
#include "ChannelNormalizeParams.h"
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSENrmC.h"
#include "PeakNormalize.h"

namespace {

using namespace fxkit;

const PresetSpec kPresets[] = {{L"0 dBFS", {0}}, {L"-1 dBFS", {-1}}};
const PageSpec kPages[] = {{&CLSID_KvSENrmCPage, L"Channel Normalize", 0, 1}};

std::unique_ptr<EffectKernel> NewKernel()
{
    return std::make_unique<PeakNormalizeKernel>(true);
}

const EffectSpec kSpec = {
    &CLSID_KvSENrmC, fx::kChannelNormalizeParams, 1, kPresets, 2, kPages, 1, 1, 0, kMono | kStereo | kSix, 0, true,
    NewKernel};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSENrmC, kvcom::CreateInstanceOf<SpecFilter<&kSpec>>},
    {&CLSID_KvSENrmCPage, kvcom::CreateInstanceOf<EffectPageOf<&kSpec, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
