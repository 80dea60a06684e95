// KvSETone.dll: the Simple Tone generator and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "GeneratorModule.h"
#include "KvSETone.h"
#include "ToneKernel.h"

namespace {

using namespace fxkit;

const PresetSpec kPresets[] = {{L"1 kHz test", {0, 1000, -20, 0, 10000}}};
const PageSpec kPages[] = {{&CLSID_KvSETonePage, L"Simple Tone", 0, fx::kToneParamCount}};

const EffectSpec kSpec = {&CLSID_KvSETone, fx::kToneParams, fx::kToneParamCount, kPresets, 1, kPages, 1, 1, 0, 0, 0,
                          false,           nullptr};

class ToneFilter : public GeneratorWith<IToneGenerator> {
public:
    ToneFilter() : GeneratorWith(kSpec, GeneratorOf<fx::ToneKernel>()) {}
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSETone, kvcom::CreateInstanceOf<ToneFilter>},
    {&CLSID_KvSETonePage, kvcom::CreateInstanceOf<EffectPageOf<&kSpec, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
