// KvSEPrEQ.dll: the Parametric EQ filter and one page per band.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEPrEQ.h"
#include "ParametricEqKernel.h"

namespace {

using namespace fxkit;

// clang-format off
const PresetInfo kPresets[] = {
    {L"Flat", {1, 100, 0, 1, 1, 300, 0, 1, 1, 1000, 0, 1, 1, 3000, 0, 1, 1, 6000, 0, 1, 1, 12000, 0, 1}},
    {L"Presence", {4, 60, 0, 0.71, 1, 300, 0, 1, 1, 1000, 0, 1, 1, 3500, 4, 1.2, 3, 8000, 2, 0.71, 0, 12000, 0, 1}},
    {L"Warmth", {2, 200, 3, 0.71, 1, 400, 1.5, 1, 1, 1000, 0, 1, 1, 3000, -1.5, 1, 3, 8000, -2, 0.71, 0, 12000, 0, 1}},
};
// clang-format on
const PageInfo kPages[] = {
    {&CLSID_KvSEPrEQPage[0], L"Band 1", 0, 4},  {&CLSID_KvSEPrEQPage[1], L"Band 2", 4, 4},
    {&CLSID_KvSEPrEQPage[2], L"Band 3", 8, 4},  {&CLSID_KvSEPrEQPage[3], L"Band 4", 12, 4},
    {&CLSID_KvSEPrEQPage[4], L"Band 5", 16, 4}, {&CLSID_KvSEPrEQPage[5], L"Band 6", 20, 4},
};

const EffectInfo kInfo = {&CLSID_KvSEPrEQ,
                          fx::kParametricEqParams,
                          fx::kPeqParamCount,
                          kPresets,
                          3,
                          kPages,
                          6,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::ParametricEqKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEPrEQ, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEPrEQPage[0], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
    {&CLSID_KvSEPrEQPage[1], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 1>>},
    {&CLSID_KvSEPrEQPage[2], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 2>>},
    {&CLSID_KvSEPrEQPage[3], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 3>>},
    {&CLSID_KvSEPrEQPage[4], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 4>>},
    {&CLSID_KvSEPrEQPage[5], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 5>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
