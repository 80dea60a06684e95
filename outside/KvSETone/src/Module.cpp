// KvSETone.dll: the Simple Tone generator and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "GeneratorModule.h"
#include "KvSETone.h"
#include "ToneKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"1 kHz test", {0, 1000, -20, 0, 10000}}};
const PageInfo kPages[] = {{&CLSID_KvSETonePage, L"Simple Tone", 0, fx::kToneParamCount}};

const EffectInfo kInfo = {&CLSID_KvSETone, fx::kToneParams, fx::kToneParamCount, kPresets, 1, kPages, 1, 1, 0, 0, 0,
                          false,           nullptr};

class ToneFilter : public GeneratorWith<IToneGenerator> {
public:
    ToneFilter() : GeneratorWith(kInfo, GeneratorOf<fx::ToneKernel>()) {}
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSETone, kvcom::CreateInstanceOf<ToneFilter>},
    {&CLSID_KvSETonePage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
