// KvSEComp.dll: the Compressor and its two pages (curve, timing).
#include "CompressorKernel.h"
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEComp.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {
    {L"Vocal", {-18, 3, 0, 6, 3, 5, 120, 0}},
    {L"Limiter", {-1, 20, 1, 0, 0, 0.1, 50, 0}},
    {L"Gentle", {-24, 2, 0, 12, 2, 20, 300, 0}},
};
const PageInfo kPages[] = {{&CLSID_KvSECompPage, L"Compressor", 0, 5}, {&CLSID_KvSECompTimingPage, L"Timing", 5, 3}};

const EffectInfo kInfo = {&CLSID_KvSEComp,
                          fx::kCompressorParams,
                          fx::kCmpParamCount,
                          kPresets,
                          3,
                          kPages,
                          2,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::CompressorKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEComp, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSECompPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
    {&CLSID_KvSECompTimingPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 1>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
