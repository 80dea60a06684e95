// The kit's rounding and sine for sample loops hold their stated bounds, and the kernels that
// moved onto them make what the library's functions made.
#include "FastMath.h"
#include "FmToneKernel.h"
#include "LoFiKernel.h"
#include "ParamInfo.h"
#include "ToneKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(SampleMath, SineAndCosineHoldTheirBound)
{
    // Within a few turns, densely and at every multiple of pi/4 and its neighbours.
    double worst = 0;
    for (int i = -40000; i <= 40000; ++i) {
        const double x = i * (4 * kPi / 40000);
        double s, c;
        fxkit::FastSinCos(x, &s, &c);
        worst = std::max({worst, std::fabs(s - std::sin(x)), std::fabs(c - std::cos(x))});
    }
    for (int k = -32; k <= 32; ++k)
        for (double x : {k * kPi / 4, std::nextafter(k * kPi / 4, 1e9), std::nextafter(k * kPi / 4, -1e9)})
            worst = std::max(
                {worst, std::fabs(fxkit::FastSin(x) - std::sin(x)), std::fabs(fxkit::FastCos(x) - std::cos(x))});
    EXPECT_LE(worst, 1e-15);
    // Up to 1e6 rad.
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> spread(-1e6, 1e6);
    worst = 0;
    for (int i = 0; i < 100000; ++i) {
        const double x = spread(random);
        double s, c;
        fxkit::FastSinCos(x, &s, &c);
        worst = std::max({worst, std::fabs(s - std::sin(x)), std::fabs(c - std::cos(x)), std::fabs(s * s + c * c - 1)});
    }
    EXPECT_LE(worst, 1e-12);
}

TEST(SampleMath, RoundingIsToNearestWithTiesToEven)
{
    const struct {
        double x;
        int64_t rounded;
    } cases[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},   {-0.5, 0},        {-1.5, -2},        {-2.5, -2},
                 {2.499, 2}, {2.501, 3}, {-7.2, -7}, {32767.5, 32768}, {-32768.5, -32768}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.rounded, fxkit::RoundToInt(c.x)) << c.x;
        EXPECT_EQ(c.rounded, fxkit::RoundToInt(float(c.x))) << c.x;
        EXPECT_EQ(c.rounded, fxkit::RoundToInt64(c.x)) << c.x;
        int32_t four[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(four), fxkit::RoundToInt4(_mm_set1_ps(float(c.x))));
        EXPECT_EQ(c.rounded, four[3]) << c.x;
    }
    EXPECT_EQ(4503599627370496LL, fxkit::RoundToInt64(4503599627370495.5));
}

// Lo-Fi's quantiser against its definition, clip(nearbyint(x / step)) x step, with NaN as 0,
// on the path that takes every sample and on the one that holds.
TEST(SampleMath, LoFiQuantisesLikeTheLibrary)
{
    const int bits = 4;
    const double step = 2.0 / 16;
    std::vector<float> in;
    for (int k = -20; k <= 20; ++k)
        in.push_back(float((k + 0.5) * step)); // ties
    for (float x : {1.0f, -1.0f, 0.99f, -0.99f, 1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(), 0.03f})
        in.push_back(x);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> any(-1.2f, 1.2f);
    while (in.size() < 301)
        in.push_back(any(random));
    auto expected = [&](float x) {
        if (x != x)
            return 0.0f;
        return float(std::clamp(std::nearbyint(x / step), -8.0, 7.0) * step);
    };
    for (double hold : {192000.0, 22050.0}) {
        fx::LoFiKernel k;
        const auto v =
            fxkit::TableValues(fx::kLoFiParams, {{fx::kLoFiBits, bits}, {fx::kLoFiHold, hold}, {fx::kLoFiBand, 20000}});
        k.Prepare({44100, 1, 1}, v.data());
        std::vector<float> out(in.size());
        k.Process(in.data(), out.data(), 150);
        k.Process(in.data() + 150, out.data() + 150, in.size() - 150);
        const size_t every = hold >= 44100 ? 1 : 2;
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(expected(in[i - i % every]), out[i]) << "hold " << hold << ", sample " << i << ": " << in[i];
    }
}

// The generators against the same waves worked out with the library, block by block.
TEST(SampleMath, GeneratorsMakeTheLibrarysWaves)
{
    constexpr double rate = 44100;
    constexpr size_t frames = 5 * 44100, block = 4096;
    auto run = [&](fxkit::GeneratorKernel& k, const std::vector<double>& values) {
        k.Prepare({rate, 1, int64_t(frames)}, values.data());
        std::vector<float> out(frames);
        for (size_t at = 0; at < frames; at += block)
            k.Generate(out.data() + at, std::min(block, frames - at));
        return out;
    };
    // A logarithmic sweep from 20 Hz to 20 kHz at -6 dBFS.
    fx::ToneKernel tone;
    const auto sweep = run(tone, fxkit::TableValues(fx::kToneParams, {{fx::kToneFrequency, 20},
                                                                      {fx::kToneSweep, fx::kLogSweep},
                                                                      {fx::kToneEndFrequency, 20000}}));
    double phase = 0, worst = 0;
    const double gain = std::pow(10.0, -6.0 / 20), f1 = std::min(20000.0, 0.45 * rate);
    for (size_t i = 0; i < frames; ++i) {
        const double f = 20 * std::pow(f1 / 20, double(i) / double(frames));
        worst = std::max(worst, std::fabs(sweep[i] - gain * std::sin(phase)));
        phase = std::fmod(phase + 2 * kPi * f / rate, 2 * kPi);
    }
    EXPECT_LE(worst, 1e-5);
    // FM: carrier 1 kHz, modulator 250 Hz, index 5.
    fx::FmToneKernel fm;
    const auto tones = run(
        fm,
        fxkit::TableValues(fx::kFmParams,
                           {{fx::kFmCarrier, 1000}, {fx::kFmModulator, 250}, {fx::kFmIndex, 5}, {fx::kFmLevel, 0}}));
    double carrier = 0, modulator = 0;
    worst = 0;
    for (size_t i = 0; i < frames; ++i) {
        worst = std::max(worst, std::fabs(tones[i] - std::sin(carrier + 5 * std::sin(modulator))));
        carrier = std::fmod(carrier + 2 * kPi * 1000 / rate, 2 * kPi);
        modulator = std::fmod(modulator + 2 * kPi * 250 / rate, 2 * kPi);
    }
    EXPECT_LE(worst, 1e-6);
}

} // namespace
