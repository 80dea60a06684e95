// The rows of the renderer modules.
#include "EffectModuleKit.h"

#include "KvSDivFl.h"
#include "KvSFndSp.h"

namespace fxtest {

const std::vector<ModuleRow>& Renderers()
{
    // clang-format off
    static const std::vector<ModuleRow> rows = {
        {"KvSFndSp.dll", CLSID_KvSFndSp, 0, 0, 0, kMono | kStereo | kSix, 0, 0, false, nullptr, {}, nullptr},
        {"KvSDivFl.dll", CLSID_KvSDivFl, 1, 2, 0, kMono | kStereo | kSix, 0, 0, false, nullptr, {{0, 2}}, nullptr},
    };
    // clang-format on
    return rows;
}

} // namespace fxtest
