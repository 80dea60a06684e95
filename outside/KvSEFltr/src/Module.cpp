// KvSEFltr.dll: the Filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "FilterKernel.h"
#include "KvSEFltr.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {
    {L"Telephone", {2, 300, 3400, 4}},
    {L"Rumble", {1, 60, 4000, 4}},
    {L"Low pass 1 kHz", {0, 1000, 4000, 4}},
};
const PageInfo kPages[] = {{&CLSID_KvSEFltrPage, L"Filter", 0, fx::kFltParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEFltr,
                          fx::kFilterParams,
                          fx::kFltParamCount,
                          kPresets,
                          3,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::FilterKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEFltr, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEFltrPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
