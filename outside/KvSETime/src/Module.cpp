// KvSETime.dll: the Time Stretch filter with ITimeStretchSettings, and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSETime.h"
#include "TimeStretchKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Half as long", {50}}, {L"Twice as long", {200}}};
const PageInfo kPages[] = {{&CLSID_KvSETimePage, L"Time Stretch", 0, fx::kStretchParamCount}};

const EffectInfo kInfo = {&CLSID_KvSETime,
                          fx::kTimeStretchParams,
                          fx::kStretchParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::TimeStretchKernel>};

class TimeStretchFilter : public ComExtend<EffectFilter, ITimeStretchSettings> {
public:
    TimeStretchFilter() : ComExtend(kInfo) {}
    STDMETHODIMP SetPreviewMode(int preview) override
    {
        static_cast<fx::TimeStretchKernel*>(Kernel())->SetPreview(preview == 1);
        return S_OK;
    }
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSETime, kvcom::CreateInstanceOf<TimeStretchFilter>},
    {&CLSID_KvSETimePage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
