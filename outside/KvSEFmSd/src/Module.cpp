// KvSEFmSd.dll: the FM Tone generator and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "FmToneKernel.h"
#include "GeneratorModule.h"
#include "KvSEFmSd.h"

namespace {

using namespace fxkit;

// A bell: inharmonic ratio 1.4, bright index.
const PresetInfo kPresets[] = {{L"Bell", {200, 280, 5, -6}}};
const PageInfo kPages[] = {{&CLSID_KvSEFmSdPage, L"FM Tone", 0, fx::kFmParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEFmSd, fx::kFmParams, fx::kFmParamCount, kPresets, 1, kPages, 1, 1, 0, 0, 0,
                          false,           nullptr};

class FmToneFilter : public GeneratorWith<IFmToneGenerator> {
public:
    FmToneFilter() : GeneratorWith(kInfo, GeneratorOf<fx::FmToneKernel>()) {}
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEFmSd, kvcom::CreateInstanceOf<FmToneFilter>},
    {&CLSID_KvSEFmSdPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
