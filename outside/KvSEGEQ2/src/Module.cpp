// KvSEGEQ2.dll: the 20-band graphic EQ filter and its four pages.
#include "EffectModule.h"
#include "EffectPage.h"
#include "GraphicEq20Kernel.h"
#include "KvSEGEQ2.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace fxkit;

// The ten-band equaliser's presets (0.1 dB at 31.5 Hz .. 16 kHz, octaves), carried over to the
// twenty half-octave bands by interpolation in octaves.
struct TenBandPreset {
    const wchar_t* name;
    int tenths[10];
};
const TenBandPreset kTenBand[] = {
    {L"Default", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},           {L"Rock", {40, 50, 30, -10, -30, -20, -10, 20, 60, 50}},
    {L"Jazz", {12, 0, 0, 15, 17, 25, 23, 17, 15, 15}},      {L"Classical", {-10, -11, 0, 22, 38, 40, 44, 22, -16, 6}},
    {L"Disco", {72, 43, 28, -5, -40, 5, 38, 61, 70, 70}},   {L"Vocal", {8, 12, 0, 0, 15, 30, 22, 10, 5, 5}},
    {L"Low Boost", {120, 60, 30, 0, 0, 0, 0, 0, 0, 0}},     {L"Low Cut", {-180, -120, -60, 0, 0, 0, 0, 0, 0, 0}},
    {L"Middle Boost", {0, 0, 0, 10, 30, 60, 60, 20, 0, 0}}, {L"Middle Cut", {0, 0, 0, -30, -60, -120, -60, -30, 0, 0}},
    {L"High Boost", {0, 0, 0, 0, 0, 0, 20, 40, 80, 120}},   {L"High Cut", {0, 0, 0, 0, 0, 0, -20, -40, -80, -120}},
};
constexpr int kPresetCount = sizeof kTenBand / sizeof kTenBand[0];

struct PresetTable {
    PresetInfo presets[kPresetCount];
    PresetTable()
    {
        for (int p = 0; p < kPresetCount; ++p) {
            presets[p] = PresetInfo{kTenBand[p].name, {}};
            for (int b = 0; b < fx::kGeq20Bands; ++b) {
                // Octaves above 31.5 Hz, clamped to the ten-band range.
                const double x = std::fmin(std::fmax(std::log2(fx::GraphicEq20Centre(b) / 31.5), 0.0), 9.0);
                const int k = std::min(int(x), 8);
                const double t = x - k;
                const double db = (kTenBand[p].tenths[k] * (1 - t) + kTenBand[p].tenths[k + 1] * t) / 10.0;
                presets[p].values[b] = std::round(db * 10) / 10;
            }
        }
    }
};
const PresetTable kPresets;

const PageInfo kPages[] = {
    {&CLSID_KvSEGEQ2Page[0], L"25 - 200 Hz", 0, 7},
    {&CLSID_KvSEGEQ2Page[1], L"283 Hz - 2.3 kHz", 7, 7},
    {&CLSID_KvSEGEQ2Page[2], L"3.2 - 18.1 kHz", 14, 6},
    {&CLSID_KvSEGEQ2Page[3], L"Master", 20, 2},
};

const EffectInfo kInfo = {&CLSID_KvSEGEQ2,
                          fx::kGraphicEq20Params,
                          fx::kGeq20ParamCount,
                          kPresets.presets,
                          kPresetCount,
                          kPages,
                          4,
                          1,
                          0,
                          kMono | kStereo | kSix,
                          0,
                          false,
                          KernelOf<fx::GraphicEq20Kernel>};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEGEQ2, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
    {&CLSID_KvSEGEQ2Page[0], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
    {&CLSID_KvSEGEQ2Page[1], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 1>>},
    {&CLSID_KvSEGEQ2Page[2], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 2>>},
    {&CLSID_KvSEGEQ2Page[3], kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 3>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
