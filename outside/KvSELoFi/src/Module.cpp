// KvSELoFi.dll: the Lo-Fi filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSELoFi.h"
#include "LoFiKernel.h"

#include <algorithm>

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"8-bit", {8, 22050, 20000, 100}}, {L"Telephone", {8, 8000, 3400, 100}}};
const PageInfo kPages[] = {{&CLSID_KvSELoFiPage, L"Lo-Fi", 0, fx::kLoFiParamCount}};

const EffectInfo kInfo = {&CLSID_KvSELoFi,
                          fx::kLoFiParams,
                          fx::kLoFiParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::LoFiKernel>};

class LoFiFilter : public EffectFilter {
public:
    LoFiFilter() : EffectFilter(kInfo) {}

protected:
    // Holding faster than the rate changes nothing: the limit is the document's rate.
    void ParamRange(int index, const double* values, double& minimum, double& maximum) const override
    {
        EffectFilter::ParamRange(index, values, minimum, maximum);
        if (index == fx::kLoFiHold && SampleRate() > 0)
            maximum = std::min(maximum, double(SampleRate()));
    }
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSELoFi, kvcom::CreateInstanceOf<LoFiFilter>},
    {&CLSID_KvSELoFiPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
