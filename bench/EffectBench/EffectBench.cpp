// Times every effect kernel on ten minutes of 44.1 kHz stereo sound (float, 4410-frame chunks,
// two-pass effects measuring first), and prints the compressor's static curve. With a file name
// argument it first writes the sound there as a 16-bit WAV file for the peers (run.sh).
// Lines "FPS <name> <frames per second>" are for run.sh.
#include "CompressorKernel.h"
#include "DcOffsetKernel.h"
#include "DelayKernel.h"
#include "HumKernel.h"
#include "ReverbKernel.h"
#include "FilterKernel.h"
#include "GainKernel.h"
#include "GraphicEq20Kernel.h"
#include "LoFiKernel.h"
#include "ModulatorKernel.h"
#include "MonoToStereoKernel.h"
#include "NoiseGateKernel.h"
#include "ParametricEqKernel.h"
#include "PeakNormalize.h"
#include "PhaseKernel.h"
#include "SmoothingKernel.h"
#include "StereoToMonoKernel.h"
#include "VocalRemoverKernel.h"
#include "WavFile.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kFrames = size_t(kRate) * 600;
constexpr size_t kChunk = 4410;

std::vector<int16_t> MakeSignal()
{
    std::vector<int16_t> v(kFrames * 2);
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> noise(-3000.0, 3000.0);
    double p1 = 0, p2 = 0;
    for (size_t i = 0; i < kFrames; ++i) {
        p1 += 2 * 3.14159265358979 * 440.0 / kRate;
        p2 += 2 * 3.14159265358979 * 97.0 / kRate;
        const double s = 6000.0 * std::sin(p1) + 5000.0 * std::sin(p2);
        v[2 * i] = int16_t(s + noise(rng));
        v[2 * i + 1] = int16_t(0.6 * s + noise(rng));
    }
    return v;
}

template <size_t N>
std::vector<double> Values(const fxkit::ParamSpec (&table)[N], std::initializer_list<std::pair<int, double>> set)
{
    return fxkit::TableValues(table, set);
}

struct Case {
    const char* name;
    std::function<std::unique_ptr<fxkit::EffectKernel>()> make;
    std::vector<double> values;
    int inChannels = 2, outChannels = 2;
};

template <class K>
std::function<std::unique_ptr<fxkit::EffectKernel>()> Make()
{
    return [] { return std::make_unique<K>(); };
}

// Seconds for the whole input through the kernel in chunks (a measuring pass first when the
// kernel measures).
double Run(const Case& c, const std::vector<float>& stereo, const std::vector<float>& mono, std::vector<float>& out)
{
    auto k = c.make();
    const std::vector<float>& in = c.inChannels == 1 ? mono : stereo;
    const auto start = std::chrono::steady_clock::now();
    k->Prepare({double(kRate), c.inChannels, c.outChannels}, c.values.data());
    if (k->Measures()) {
        k->BeginMeasure();
        for (size_t pos = 0; pos < kFrames; pos += kChunk)
            k->Measure(in.data() + pos * size_t(c.inChannels), std::min(kChunk, kFrames - pos));
        k->EndMeasure();
    }
    for (size_t pos = 0; pos < kFrames; pos += kChunk)
        k->Process(in.data() + pos * size_t(c.inChannels), out.data() + pos * size_t(c.outChannels),
                   std::min(kChunk, kFrames - pos));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const auto pcm = MakeSignal();
    if (argc > 1 && !kvtest::WriteWav16(argv[1], 2, kRate, pcm)) {
        std::printf("cannot write %s\n", argv[1]);
        return 1;
    }
    std::vector<float> stereo(pcm.size()), mono(kFrames), out(pcm.size());
    for (size_t i = 0; i < pcm.size(); ++i)
        stereo[i] = float(pcm[i] / 32768.0);
    for (size_t i = 0; i < kFrames; ++i)
        mono[i] = stereo[2 * i];

    using namespace fx;
    const std::vector<Case> cases = {
        {"Gain", Make<GainKernel>(), Values(kGainParams, {{0, 6}, {1, 6}})},
        {"DcOffset", Make<DcOffsetKernel>(), Values(kDcParams, {{kDcMode, 1}, {kDcValue, 328}})},
        {"Normalize", [] { return std::make_unique<fxkit::PeakNormalizeKernel>(false); }, {-1}},
        {"ChannelNormalize", [] { return std::make_unique<fxkit::PeakNormalizeKernel>(true); }, {-1}},
        {"ReversePhase", Make<PhaseKernel>(), Values(kPhaseParams, {})},
        {"StereoToMono", Make<StereoToMonoKernel>(), Values(kStereoToMonoParams, {}), 2, 1},
        {"MonoToStereo", Make<MonoToStereoKernel>(), Values(kMonoToStereoParams, {{kM2sMethod, 2}}), 1, 2},
        {"ParametricEq", Make<ParametricEqKernel>(),
         Values(kParametricEqParams,
                {{0, 0}, {4, 0}, {8, 1}, {9, 1000}, {10, 12}, {11, 1}, {12, 0}, {16, 0}, {20, 0}})},
        {"LowPass", Make<FilterKernel>(), Values(kFilterParams, {{kFltType, 0}, {kFltOrder, 2}})},
        {"HighPass", Make<FilterKernel>(), Values(kFilterParams, {{kFltType, 1}, {kFltOrder, 2}})},
        {"BandPass", Make<FilterKernel>(),
         Values(kFilterParams, {{kFltType, 2}, {kFltLow, 300}, {kFltHigh, 3400}, {kFltOrder, 2}})},
        {"LowPass8", Make<FilterKernel>(), Values(kFilterParams, {{kFltType, 0}, {kFltOrder, 8}})},
        {"Tremolo", Make<ModulatorKernel>(), Values(kModulatorParams, {})},
        {"Vibrato", Make<ModulatorKernel>(), Values(kModulatorParams, {{kModKind, 2}})},
        {"Compressor", Make<CompressorKernel>(), Values(kCompressorParams, {})},
        {"NoiseGate", Make<NoiseGateKernel>(), Values(kNoiseGateParams, {})},
        {"LoFi", Make<LoFiKernel>(), Values(kLoFiParams, {{kLoFiBand, 5000}})},
        {"Smoothing", Make<SmoothingKernel>(), Values(kSmoothingParams, {{kAvgWidth, 5}, {kAvgPasses, 2}})},
        {"GraphicEq20Iir", Make<GraphicEq20Kernel>(),
         Values(kGraphicEq20Params, {{0, 6}, {3, -6}, {6, 6}, {9, -6}, {12, 6}, {15, -6}, {18, 6}})},
        {"GraphicEq20Fir", Make<GraphicEq20Kernel>(),
         Values(kGraphicEq20Params, {{0, 6}, {3, -6}, {6, 6}, {9, -6}, {12, 6}, {15, -6}, {18, 6}, {kGeq20Mode, 1}})},
        {"RemoveVocals", Make<VocalRemoverKernel>(), Values(kVocalRemoverParams, {})},
        {"Delay", Make<DelayKernel>(), Values(kDelayParams, {})},
        {"Hum", Make<HumKernel>(), Values(kHumParams, {{kHumMains, 1}, {kHumHarmonics, 10}})},
        {"Reverb", Make<ReverbKernel>(), Values(kReverbParams, {})},
    };
    std::printf("EffectBench: %zu frames (600 s of 44.1 kHz stereo float), %zu-frame chunks\n", kFrames, kChunk);
    for (const Case& c : cases) {
        const double s = Run(c, stereo, mono, out);
        std::printf("%-18s %8.3f s %14.0f frames/s (%.0fx real time)\n", c.name, s, kFrames / s, 600.0 / s);
        std::printf("FPS %s %.0f\n", c.name, kFrames / s);
    }
    // The static curve of the compressor as the bench's peer is set: threshold -20 dB, 4:1,
    // 6 dB knee.
    const auto curve = CurveOf(Values(kCompressorParams, {}).data());
    for (int level = -40; level <= 0; level += 5)
        std::printf("CURVE %d %.2f\n", level, level + curve.GainDb(level));
    return 0;
}
