// KvSESt2M.dll: the Stereo to Mono filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSESt2M.h"
#include "StereoToMonoKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Mean", {0, 0}}, {L"Left", {1, 0}}, {L"Right", {2, 0}}};
const PageInfo kPages[] = {{&CLSID_KvSESt2MPage, L"Stereo to Mono", 0, fx::kS2mParamCount}};

const EffectInfo kInfo = {
    &CLSID_KvSESt2M, fx::kStereoToMonoParams,         fx::kS2mParamCount, kPresets, 3, kPages, 1, 1, 2, kStereo, 1,
    false,           KernelOf<fx::StereoToMonoKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSESt2M, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSESt2MPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
