// KvSEDely.dll: the Delay filter and its page.
#include "DelayKernel.h"
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSEDely.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Slap", {110, 0, 30, 10, 0}}, {L"Echo", {420, 45, 40, 30, 1}}};
const PageInfo kPages[] = {{&CLSID_KvSEDelyPage, L"Delay", 0, fx::kDelayParamCount}};

const EffectInfo kInfo = {&CLSID_KvSEDely,
                          fx::kDelayParams,
                          fx::kDelayParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::DelayKernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEDely, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEDelyPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
