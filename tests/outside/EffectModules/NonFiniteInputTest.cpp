// Every effect kernel, fed as its filter feeds it (blocks of 4410 frames), stays finite on
// finite input of any size, and settles back to finite output after NaN or infinite samples;
// denormal input gives finite output.
#include "EffectModuleKit.h"

#include "NoiseSubtractionKernel.h"
#include "ParamInfo.h"
#include "ProfileLearnerKernel.h"

#include <cmath>
#include <limits>

using namespace fxtest;

namespace {

constexpr size_t kBlock = 4410;
constexpr double kRate = 44100;

struct Signal {
    const char* name;
    std::vector<float> (*make)(int channels);
    size_t settledFrom; // first input frame from which the output must be finite again
};

std::vector<float> HugeImpulses(int channels)
{
    std::vector<float> v = Noise(3 * 44100, channels, 0.25, 3);
    const float big = std::numeric_limits<float>::max();
    for (size_t at : {10000, 40000, 70001, 100000})
        for (int c = 0; c < channels; ++c)
            v[at * size_t(channels) + size_t(c)] = (at / 10000 + size_t(c)) % 2 ? -big : big;
    return v;
}

std::vector<float> NanBurst(int channels)
{
    std::vector<float> v = Noise(4 * 44100, channels, 0.25, 5);
    for (size_t i = 30000; i < 30100; ++i)
        for (int c = 0; c < channels; ++c)
            v[i * size_t(channels) + size_t(c)] = std::numeric_limits<float>::quiet_NaN();
    return v;
}

std::vector<float> MinusInfinity(int channels)
{
    std::vector<float> v = Noise(4 * 44100, channels, 0.25, 7);
    v[30000 * size_t(channels)] = -std::numeric_limits<float>::infinity();
    return v;
}

std::vector<float> Denormals(int channels)
{
    std::vector<float> v = Noise(2 * 44100, channels, 1.0, 9);
    for (float& x : v)
        x = x > 0.5f ? 1e-40f : x < -0.5f ? -3e-39f : x > 0 ? std::numeric_limits<float>::denorm_min() : 0.0f;
    return v;
}

const Signal kSignals[] = {
    {"impulses of +-3.4e38", HugeImpulses, 0},
    {"a NaN burst", NanBurst, 30100 + 2 * 44100},
    {"a -Inf sample", MinusInfinity, 30001 + 2 * 44100},
    {"denormals", Denormals, 0},
};

// The kernel's output for the input, run as its filter runs it: measured first when it
// measures, then in blocks, its latency drained with silence (or stretched).
std::vector<float> RunKernel(fxkit::EffectKernel& kernel, const std::vector<double>& values,
                             const std::vector<float>& in, int inChannels, int outChannels, size_t* latency)
{
    kernel.Prepare({kRate, inChannels, outChannels}, values.data());
    const size_t frames = in.size() / size_t(inChannels);
    if (kernel.Measures()) {
        kernel.BeginMeasure();
        for (size_t at = 0; at < frames; at += kBlock)
            kernel.Measure(in.data() + at * size_t(inChannels), std::min(kBlock, frames - at));
        kernel.EndMeasure();
    }
    std::vector<float> out;
    *latency = 0;
    if (kernel.LengthRatio(values.data()) != 1.0) {
        for (size_t at = 0; at < frames; at += kBlock)
            kernel.Stretch(in.data() + at * size_t(inChannels), std::min(kBlock, frames - at), out);
        kernel.Finish(out);
        return out;
    }
    *latency = kernel.Latency();
    std::vector<float> padded(in);
    padded.resize((frames + *latency) * size_t(inChannels), 0.0f);
    const size_t all = frames + *latency;
    out.resize(all * size_t(outChannels));
    for (size_t at = 0; at < all; at += kBlock)
        kernel.Process(padded.data() + at * size_t(inChannels), out.data() + at * size_t(outChannels),
                       std::min(kBlock, all - at));
    return out;
}

// The output frames from the signal's settling point on that are not finite: none, or the
// first of them.
void ExpectSettled(const std::vector<float>& out, int channels, size_t from)
{
    size_t bad = 0, first = 0;
    for (size_t i = from * size_t(channels); i < out.size(); ++i)
        if (!std::isfinite(out[i]) && bad++ == 0)
            first = i / size_t(channels);
    EXPECT_EQ(bad, 0u) << "first at output frame " << first << " of " << out.size() / size_t(channels);
}

struct NonFiniteInput : testing::TestWithParam<size_t> {
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

} // namespace

TEST_P(NonFiniteInput, EveryKernelStaysOrSettlesFinite)
{
    const ModuleRow& row = Modules()[GetParam()];
    auto filter = CreateFilter(row);
    ASSERT_TRUE(filter);
    ApplySettings(filter.Get(), row);
    const std::vector<double> values = ValuesOf(filter.Get());
    const int inChannels = row.inputs & kStereo ? 2 : row.inputs & kMono ? 1 : 6;
    const int outChannels = row.outputChannels ? row.outputChannels : inChannels;
    for (const Signal& signal : kSignals) {
        SCOPED_TRACE(signal.name);
        auto kernel = row.kernel();
        size_t latency = 0;
        const std::vector<float> out =
            RunKernel(*kernel, values, signal.make(inChannels), inChannels, outChannels, &latency);
        // Time-stretched output counts its frames at its own rate.
        const double ratio = kernel->LengthRatio(values.data());
        ExpectSettled(out, outChannels, size_t(double(signal.settledFrom) * ratio) + latency);
    }
}

// The noise profile pair: what the profile learns stays finite, and the removal settles.
TEST(NonFiniteInputProfile, TheProfileStaysFiniteAndTheRemovalSettles)
{
    for (const Signal& signal : kSignals) {
        SCOPED_TRACE(signal.name);
        fx::ProfileLearnerKernel learner;
        const auto learned = fxkit::TableValues(fx::kProfileLearnerParams, {});
        size_t latency = 0;
        RunKernel(learner, learned, signal.make(2), 2, 2, &latency);
        fxkit::NoiseProfile profile;
        ASSERT_TRUE(learner.Result(profile));
        for (const auto& channel : profile.power)
            for (double p : channel)
                ASSERT_TRUE(std::isfinite(p));

        fx::ProfileLearnerKernel plain;
        RunKernel(plain, learned, Noise(88200, 2, 0.05, 1), 2, 2, &latency);
        ASSERT_TRUE(plain.Result(profile));
        fx::SpectralSubtractionKernel remover;
        remover.SetProfile(profile);
        const auto removal = fxkit::TableValues(fx::kSpectralSubtractionParams, {{fx::kSpsReduction, 30}});
        const auto out = RunKernel(remover, removal, signal.make(2), 2, 2, &latency);
        ExpectSettled(out, 2, signal.settledFrom + latency);
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, NonFiniteInput, testing::Range(size_t(0), Modules().size()),
                         [](const testing::TestParamInfo<size_t>& info) {
                             std::string name = RowName(Modules()[info.param]);
                             return name.substr(0, name.find('.'));
                         });
