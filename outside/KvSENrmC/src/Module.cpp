// KvSENrmC.dll: the Channel Normalize filter and its page.
#include "ChannelNormalizeParams.h"
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSENrmC.h"
#include "PeakNormalize.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"0 dBFS", {0}}, {L"-1 dBFS", {-1}}};
const PageInfo kPages[] = {{&CLSID_KvSENrmCPage, L"Channel Normalize", 0, 1}};

std::unique_ptr<EffectKernel> NewKernel()
{
    return std::make_unique<PeakNormalizeKernel>(true);
}

const EffectInfo kInfo = {
    &CLSID_KvSENrmC, fx::kChannelNormalizeParams, 1, kPresets, 2, kPages, 1, 1, 0, kMono | kStereo | kSix, 0, true,
    NewKernel};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSENrmC, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSENrmCPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
