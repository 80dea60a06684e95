// KvSENois.dll: the Noise generator and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "GeneratorModule.h"
#include "KvSENois.h"
#include "NoiseKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"White", {0, -20}}, {L"Pink", {1, -20}}, {L"Brown", {2, -20}}};
const PageInfo kPages[] = {{&CLSID_KvSENoisPage, L"Noise", 0, fx::kNoiseParamCount}};

const EffectInfo kInfo = {&CLSID_KvSENois, fx::kNoiseParams, fx::kNoiseParamCount, kPresets, 3, kPages, 1, 1, 0, 0, 0,
                          false,           nullptr};

class NoiseFilter : public GeneratorWith<INoiseGenerator> {
public:
    NoiseFilter() : GeneratorWith(kInfo, GeneratorOf<fx::NoiseKernel>()) {}
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSENois, kvcom::CreateInstanceOf<NoiseFilter>},
    {&CLSID_KvSENoisPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
