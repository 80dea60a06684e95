// KvSEM2St.dll: the Mono to Stereo filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEM2St.h"
#include "MonoToStereoKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Copy", {0, 0, 50}}, {L"Half left", {1, -50, 50}}, {L"Wide", {2, 0, 70}}};
const PageInfo kPages[] = {{&CLSID_KvSEM2StPage, L"Mono to Stereo", 0, fx::kM2sParamCount}};

const EffectInfo kInfo = {
    &CLSID_KvSEM2St, fx::kMonoToStereoParams,         fx::kM2sParamCount, kPresets, 3, kPages, 1, 1, 0, kMono, 2,
    false,           KernelOf<fx::MonoToStereoKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEM2St, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEM2StPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
