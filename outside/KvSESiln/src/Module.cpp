// KvSESiln.dll: the Silence generator (no settings, no pages).
#include "EffectModule.h"
#include "GeneratorModule.h"
#include "KvSESiln.h"
#include "SilenceKernel.h"

namespace {

using namespace fxkit;

const EffectInfo kInfo = {&CLSID_KvSESiln, nullptr, 0, nullptr, 0, nullptr, 0, 1, 0, 0, 0, false, nullptr};

class SilenceFilter : public GeneratorWith<ISilenceGenerator> {
public:
    SilenceFilter() : GeneratorWith(kInfo, GeneratorOf<fx::SilenceKernel>()) {}
};

const kvcom::ClassEntry kClasses[] = {{&CLSID_KvSESiln, kvcom::CreateInstanceOf<SilenceFilter>}};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
