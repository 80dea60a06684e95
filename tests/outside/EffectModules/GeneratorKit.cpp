// The modules outside the effect table of the contract tests: the generators (sources) and the
// noise-profile pair (which need a work folder and a profile to stream), one row each.
#include "EffectModuleKit.h"

#include "KvSEFmSd.h"
#include "KvSENois.h"
#include "KvSESiln.h"
#include "KvSESpLr.h"
#include "KvSESpSb.h"
#include "KvSETone.h"

namespace fxtest {

const std::vector<ModuleRow>& Generators()
{
    // clang-format off
    static const std::vector<ModuleRow> rows = {
        {"KvSEFmSd.dll", CLSID_KvSEFmSd, 1, 4, 1, 0, 0, 0, false, nullptr, {{0, 1000}, {1, 250}, {2, 2.5}}, nullptr},
        {"KvSENois.dll", CLSID_KvSENois, 1, 2, 3, 0, 0, 0, false, nullptr, {{0, 1}, {1, -12}}, nullptr},
        {"KvSESiln.dll", CLSID_KvSESiln, 0, 0, 0, 0, 0, 0, false, nullptr, {}, nullptr},
        {"KvSETone.dll", CLSID_KvSETone, 1, 5, 1, 0, 0, 0, false, nullptr, {{0, 1}, {1, 440}, {2, -10}}, nullptr},
    };
    // clang-format on
    return rows;
}

const std::vector<ModuleRow>& ProfileModules()
{
    // clang-format off
    static const std::vector<ModuleRow> rows = {
        {"KvSESpLr.dll", CLSID_KvSESpLr, 1, 1, 2, kMono | kStereo, 0, 0, false, nullptr, {{0, 1}}, nullptr},
        {"KvSESpSb.dll", CLSID_KvSESpSb, 1, 2, 2, kMono | kStereo, 0, 0, false, nullptr, {{0, 30}}, nullptr},
    };
    // clang-format on
    return rows;
}

} // namespace fxtest
