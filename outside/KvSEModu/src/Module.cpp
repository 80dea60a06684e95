// KvSEModu.dll: the Modulator and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEModu.h"
#include "ModulatorKernel.h"

#include <algorithm>

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Tremolo", {0, 5, 50, 0}}, {L"Ring", {1, 440, 100, 0}}, {L"Vibrato", {2, 5, 30, 0}}};
const PageInfo kPages[] = {{&CLSID_KvSEModuPage, L"Modulator", 0, fx::kModParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEModu,
                          fx::kModulatorParams,
                          fx::kModParamCount,
                          kPresets,
                          3,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::ModulatorKernel>};

class ModulatorFilter : public EffectFilter {
public:
    ModulatorFilter() : EffectFilter(kInfo) {}

protected:
    // The rate's limit follows the kind: ring modulation reaches audio rates.
    void ParamRange(int index, const double* values, double& minimum, double& maximum) const override
    {
        EffectFilter::ParamRange(index, values, minimum, maximum);
        if (index == fx::kModRate)
            maximum = std::min(maximum, fx::ModulatorMaxRate(int(values[fx::kModKind])));
    }
    bool RecordValid(const double* values) const override
    {
        return EffectFilter::RecordValid(values) &&
               values[fx::kModRate] <= fx::ModulatorMaxRate(int(values[fx::kModKind]));
    }
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEModu, kvcom::CreateInstanceOf<ModulatorFilter>},
    {&CLSID_KvSEModuPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
