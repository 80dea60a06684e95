// Every effect and generator kernel run natively under the sanitizers: each at its defaults,
// with every value at its minimum and at its maximum, over each channel count it accepts, fed
// blocks of awkward sizes (1 frame, odd sizes, a longer block) of noise, silence, full-scale
// squares and non-finite samples. A kernel that reads or writes past a buffer, or whose
// arithmetic overflows an integer, fails here; the output must stay finite for finite input.
#include "CompressorKernel.h"
#include "CrackleKernel.h"
#include "DcOffsetKernel.h"
#include "DelayKernel.h"
#include "FftEqKernel.h"
#include "FilterKernel.h"
#include "FmToneKernel.h"
#include "GainKernel.h"
#include "GraphicEq20Kernel.h"
#include "HissKernel.h"
#include "HumKernel.h"
#include "LoFiKernel.h"
#include "ModulatorKernel.h"
#include "MonoToStereoKernel.h"
#include "NoiseGateKernel.h"
#include "NoiseKernel.h"
#include "NoiseSubtractionKernel.h"
#include "ChannelNormalizeParams.h"
#include "NormalizeParams.h"
#include "ParametricEqKernel.h"
#include "PeakNormalize.h"
#include "PhaseKernel.h"
#include "PitchShiftKernel.h"
#include "ProfileLearnerKernel.h"
#include "ReverbKernel.h"
#include "SilenceKernel.h"
#include "SmoothingKernel.h"
#include "StereoToMonoKernel.h"
#include "TimeStretchKernel.h"
#include "ToneKernel.h"
#include "VocalRemoverKernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using fxkit::EffectKernel;
using fxkit::GeneratorKernel;
using fxkit::ParamInfo;

struct KernelRow {
    const char* name;
    std::function<std::unique_ptr<EffectKernel>()> make;
    const ParamInfo* params;
    int paramCount;
    std::vector<int> inputs; // channel counts accepted
    int outputs;             // 0: as the input
};

template <class K>
std::function<std::unique_ptr<EffectKernel>()> Make()
{
    return [] { return std::make_unique<K>(); };
}

const std::vector<KernelRow>& Kernels()
{
    static const std::vector<int> kAny = {1, 2, 6};
    static const std::vector<KernelRow> rows = {
        {"Smoothing", Make<fx::SmoothingKernel>(), fx::kSmoothingParams, fx::kAvgParamCount, kAny, 0},
        {"Compressor", Make<fx::CompressorKernel>(), fx::kCompressorParams, fx::kCmpParamCount, kAny, 0},
        {"Crackle", Make<fx::CrackleKernel>(), fx::kCrackleParams, fx::kCrackleParamCount, kAny, 0},
        {"Delay", Make<fx::DelayKernel>(), fx::kDelayParams, fx::kDelayParamCount, kAny, 0},
        {"FftEq", Make<fx::FftEqKernel>(), fx::kFftEqParams, fx::kFeqParamCount, kAny, 0},
        {"Filter", Make<fx::FilterKernel>(), fx::kFilterParams, fx::kFltParamCount, kAny, 0},
        {"GraphicEq20", Make<fx::GraphicEq20Kernel>(), fx::kGraphicEq20Params, fx::kGeq20ParamCount, kAny, 0},
        {"Hum", Make<fx::HumKernel>(), fx::kHumParams, fx::kHumParamCount, kAny, 0},
        {"Hiss", Make<fx::HissKernel>(), fx::kHissParams, fx::kHissParamCount, kAny, 0},
        {"Gain", Make<fx::GainKernel>(), fx::kGainParams, fx::kGainChannels, kAny, 0},
        {"LoFi", Make<fx::LoFiKernel>(), fx::kLoFiParams, fx::kLoFiParamCount, kAny, 0},
        {"MonoToStereo", Make<fx::MonoToStereoKernel>(), fx::kMonoToStereoParams, fx::kM2sParamCount, {1}, 2},
        {"Modulator", Make<fx::ModulatorKernel>(), fx::kModulatorParams, fx::kModParamCount, kAny, 0},
        {"Normalize", [] { return std::make_unique<fxkit::PeakNormalizeKernel>(false); }, fx::kNormalizeParams, 1,
         kAny, 0},
        {"ChannelNormalize", [] { return std::make_unique<fxkit::PeakNormalizeKernel>(true); },
         fx::kChannelNormalizeParams, 1, kAny, 0},
        {"NoiseGate", Make<fx::NoiseGateKernel>(), fx::kNoiseGateParams, fx::kGateParamCount, kAny, 0},
        {"DcOffset", Make<fx::DcOffsetKernel>(), fx::kDcParams, fx::kDcParamCount, kAny, 0},
        {"Phase", Make<fx::PhaseKernel>(), fx::kPhaseParams, fx::kPhaseChannels, kAny, 0},
        {"ParametricEq", Make<fx::ParametricEqKernel>(), fx::kParametricEqParams, fx::kPeqParamCount, kAny, 0},
        {"PitchShift", Make<fx::PitchShiftKernel>(), fx::kPitchShiftParams, fx::kPitchParamCount, kAny, 0},
        {"Reverb", Make<fx::ReverbKernel>(), fx::kReverbParams, fx::kRevParamCount, kAny, 0},
        {"ProfileLearner", Make<fx::ProfileLearnerKernel>(), fx::kProfileLearnerParams, fx::kSplParamCount, {1, 2}, 0},
        {"SpectralSubtraction", Make<fx::SpectralSubtractionKernel>(), fx::kSpectralSubtractionParams,
         fx::kSpsParamCount, {1, 2}, 0},
        {"StereoToMono", Make<fx::StereoToMonoKernel>(), fx::kStereoToMonoParams, fx::kS2mParamCount, {2}, 1},
        {"TimeStretch", Make<fx::TimeStretchKernel>(), fx::kTimeStretchParams, fx::kStretchParamCount, kAny, 0},
        {"VocalRemover", Make<fx::VocalRemoverKernel>(), fx::kVocalRemoverParams, fx::kVocParamCount, {2}, 0},
    };
    return rows;
}

// The value sets a kernel is swept over: the defaults, then every value at its minimum, then
// at its maximum (each at once: extremes together are what a careless bound misses).
std::vector<std::vector<double>> ValueSets(const ParamInfo* params, int count)
{
    std::vector<std::vector<double>> sets(3, std::vector<double>(fxkit::kMaxParams, 0.0));
    for (int i = 0; i < count; ++i) {
        sets[0][i] = params[i].defaultValue;
        sets[1][i] = fxkit::ClampParam(params[i], params[i].minimum);
        sets[2][i] = fxkit::ClampParam(params[i], params[i].maximum);
    }
    return sets;
}

// Blocks of noise, silence and full-scale squares, in sizes 1, 7, 509 and 6000 frames.
std::vector<std::vector<float>> Blocks(int channels)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<std::vector<float>> blocks;
    for (size_t frames : {size_t(1), size_t(7), size_t(509), size_t(6000)}) {
        std::vector<float> b(frames * size_t(channels));
        for (size_t i = 0; i < b.size(); ++i)
            b[i] = frames == 509 ? 0.0f : frames == 7 ? ((i / 3) & 1 ? 1.0f : -1.0f) : noise(random);
        blocks.push_back(std::move(b));
    }
    return blocks;
}

bool AllFinite(const std::vector<float>& v)
{
    for (float x : v)
        if (!std::isfinite(x))
            return false;
    return true;
}

// One run of a kernel over the blocks; true when every output sample was finite.
bool RunBlocks(EffectKernel& kernel, const std::vector<double>& values, double rate, int in, int out)
{
    kernel.Prepare({rate, in, out}, values.data());
    if (kernel.Measures()) {
        kernel.BeginMeasure();
        for (const auto& block : Blocks(in))
            kernel.Measure(block.data(), block.size() / size_t(in));
        kernel.EndMeasure();
    }
    bool finite = true;
    const double ratio = kernel.LengthRatio(values.data());
    for (const auto& block : Blocks(in)) {
        const size_t frames = block.size() / size_t(in);
        std::vector<float> result;
        if (ratio != 1.0) {
            kernel.Stretch(block.data(), frames, result);
        } else {
            result.assign(frames * size_t(out), 0.0f);
            kernel.Process(block.data(), result.data(), frames);
        }
        finite = finite && AllFinite(result);
    }
    std::vector<float> rest;
    if (ratio != 1.0)
        kernel.Finish(rest);
    kernel.Update(values.data());
    kernel.Reset();
    return finite && AllFinite(rest);
}

TEST(KernelSweep, EveryKernelStaysInItsBuffersAndFiniteAtEveryExtremeAndChannelCount)
{
    for (const KernelRow& row : Kernels()) {
        for (int in : row.inputs) {
            const int out = row.outputs ? row.outputs : in;
            for (double rate : {8000.0, 44100.0, 192000.0}) {
                for (const auto& values : ValueSets(row.params, row.paramCount)) {
                    auto kernel = row.make();
                    EXPECT_TRUE(RunBlocks(*kernel, values, rate, in, out))
                        << row.name << " " << in << " channels at " << rate << " Hz";
                }
            }
        }
    }
}

TEST(KernelSweep, NonFiniteInputNeverReachesBeyondTheBuffers)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const KernelRow& row : Kernels()) {
        const int in = row.inputs.back();
        const int out = row.outputs ? row.outputs : in;
        auto kernel = row.make();
        const auto values = ValueSets(row.params, row.paramCount)[0];
        kernel->Prepare({44100.0, in, out}, values.data());
        std::vector<float> block(4096 * size_t(in), 0.25f);
        for (size_t i = 0; i < block.size(); i += 97)
            block[i] = i % 2 ? nan : (i % 3 ? inf : -inf);
        std::vector<float> result(4096 * size_t(out));
        if (kernel->LengthRatio(values.data()) != 1.0) {
            std::vector<float> stretched;
            kernel->Stretch(block.data(), 4096, stretched);
            kernel->Finish(stretched);
        } else {
            kernel->Process(block.data(), result.data(), 4096);
        }
        SUCCEED() << row.name;
    }
}

TEST(KernelSweep, GeneratorsFillEveryFrameAskedForAtEveryExtreme)
{
    struct Gen {
        const char* name;
        std::function<std::unique_ptr<GeneratorKernel>()> make;
        const ParamInfo* params;
        int count;
    };
    const Gen gens[] = {
        {"Tone", [] { return std::make_unique<fx::ToneKernel>(); }, fx::kToneParams, fx::kToneParamCount},
        {"FmTone", [] { return std::make_unique<fx::FmToneKernel>(); }, fx::kFmParams, fx::kFmParamCount},
        {"Noise", [] { return std::make_unique<fx::NoiseKernel>(); }, fx::kNoiseParams, fx::kNoiseParamCount},
        {"Silence", [] { return std::make_unique<fx::SilenceKernel>(); }, nullptr, 0},
    };
    for (const Gen& g : gens) {
        for (int channels : {1, 2, 6}) {
            for (const auto& values : ValueSets(g.params, g.count)) {
                auto kernel = g.make();
                kernel->Prepare({44100.0, channels, 20517}, values.data());
                std::vector<float> out(20517 * size_t(channels), std::numeric_limits<float>::quiet_NaN());
                size_t done = 0;
                for (size_t block : {size_t(1), size_t(16), size_t(500), size_t(20000)}) {
                    kernel->Generate(out.data() + done * size_t(channels), block);
                    done += block;
                }
                EXPECT_TRUE(AllFinite(out)) << g.name << " " << channels << " channels: a frame unwritten";
            }
        }
    }
}

} // namespace
