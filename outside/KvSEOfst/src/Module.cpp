// KvSEOfst.dll: the DC Offset filter with IDcOffsetSettings, and its page.
#include "DcOffsetKernel.h"
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEOfst.h"

#include <cmath>

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {
    {L"Remove offset", {0, 0, 1}},
    {L"Add +100 steps", {1, 100, 1}},
};
const PageInfo kPages[] = {{&CLSID_KvSEOfstPage, L"DC Offset", 0, fx::kDcParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEOfst,
                          fx::kDcParams,
                          fx::kDcParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          true,
                          KernelOf<fx::DcOffsetKernel>};

class DcOffsetFilter : public ComExtend<EffectFilter, IDcOffsetSettings> {
public:
    DcOffsetFilter() : ComExtend(kInfo) {}

    STDMETHODIMP Reserved3() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP GetMode(int* mode) override { return GetInt(fx::kDcMode, mode); }
    STDMETHODIMP GetValue(int* value) override { return GetInt(fx::kDcValue, value); }
    STDMETHODIMP SetMode(int mode) override { return SetParameter(fx::kDcMode, mode ? 1 : 0); }
    STDMETHODIMP GetBitDepth(int* bits) override
    {
        if (!bits)
            return E_POINTER;
        *bits = fx::DcDepthBits(int(Value(fx::kDcDepth)));
        return S_OK;
    }
    STDMETHODIMP GetMeasuringMode(int* mode) override
    {
        if (!mode)
            return E_POINTER;
        *mode = MeasuringMode();
        return S_OK;
    }
    STDMETHODIMP SetValue(int value) override { return SetParameter(fx::kDcValue, value); }
    STDMETHODIMP SetMeasuringMode(int mode) override { return EffectFilter::SetMeasuringMode(mode); }
    STDMETHODIMP SetBitDepth(int bits) override
    {
        const int index = bits == 8 ? 0 : bits == 16 ? 1 : bits == 32 ? 2 : -1;
        if (index < 0)
            return E_INVALIDARG;
        return SetParameter(fx::kDcDepth, index) == S_OK ? S_OK : E_FAIL;
    }

protected:
    void ParamRange(int index, const double* values, double& minimum, double& maximum) const override
    {
        if (index == fx::kDcValue)
            fx::DcValueRange(int(values[fx::kDcDepth]), minimum, maximum);
        else
            EffectFilter::ParamRange(index, values, minimum, maximum);
    }
    bool RecordValid(const double* values) const override
    {
        if (!EffectFilter::RecordValid(values))
            return false;
        double lo, hi;
        fx::DcValueRange(int(values[fx::kDcDepth]), lo, hi);
        return values[fx::kDcValue] >= lo && values[fx::kDcValue] <= hi;
    }

private:
    HRESULT GetInt(int index, int* out)
    {
        if (!out)
            return E_POINTER;
        *out = int(std::lround(Value(index)));
        return S_OK;
    }
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEOfst, kvcom::CreateInstanceOf<DcOffsetFilter>},
    {&CLSID_KvSEOfstPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
