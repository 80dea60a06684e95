// KvSEVoCl.dll: the Remove Vocals filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEVoCl.h"
#include "VocalRemoverKernel.h"

namespace {

using namespace fxkit;

const PresetSpec kPresets[] = {{L"Light", {200, 5000, 60}}, {L"Strong", {120, 10000, 100}}};
const PageSpec kPages[] = {{&CLSID_KvSEVoClPage, L"Remove Vocals", 0, fx::kVocParamCount}};

const EffectSpec kSpec = {
    &CLSID_KvSEVoCl, fx::kVocalRemoverParams,         fx::kVocParamCount, kPresets, 2, kPages, 1, 1, 2, kStereo, 0,
    false,           KernelOf<fx::VocalRemoverKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEVoCl, kvcom::CreateInstanceOf<SpecFilter<&kSpec>>},
    {&CLSID_KvSEVoClPage, kvcom::CreateInstanceOf<EffectPageOf<&kSpec, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
