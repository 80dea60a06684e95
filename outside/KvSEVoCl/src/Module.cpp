// KvSEVoCl.dll: the Remove Vocals filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEVoCl.h"
#include "VocalRemoverKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Light", {200, 5000, 60}}, {L"Strong", {120, 10000, 100}}};
const PageInfo kPages[] = {{&CLSID_KvSEVoClPage, L"Remove Vocals", 0, fx::kVocParamCount}};

const EffectInfo kInfo = {
    &CLSID_KvSEVoCl, fx::kVocalRemoverParams,         fx::kVocParamCount, kPresets, 2, kPages, 1, 1, 2, kStereo, 0,
    false,           KernelOf<fx::VocalRemoverKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEVoCl, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEVoClPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
