#include "Resampler.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> Sine(double freq, uint32_t rate, size_t frames, int channels, double amp = 0.5)
{
    std::vector<float> s(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s[i * channels + c] = float(amp * std::sin(2 * kPi * freq * i / rate + c));
    return s;
}

std::vector<float> Resample(Resampler& r, const std::vector<float>& in, size_t chunk)
{
    std::vector<float> out;
    size_t frames = in.size() / r.Channels();
    for (size_t i = 0; i < frames; i += chunk)
        r.Process(&in[i * r.Channels()], std::min(chunk, frames - i), out);
    r.Flush(out);
    return out;
}

// Largest deviation from the ideal sine at the output rate, away from the stream's ends.
double WorstErrorDb(const std::vector<float>& out, double freq, uint32_t rate, int channels, double amp)
{
    size_t frames = out.size() / channels;
    double worst = 0;
    for (size_t i = frames / 8; i < frames * 7 / 8; ++i)
        for (int c = 0; c < channels; ++c)
            worst = std::max(worst, std::fabs(out[i * channels + c] - amp * std::sin(2 * kPi * freq * i / rate + c)));
    return 20 * std::log10(worst / amp + 1e-30);
}

} // namespace

TEST(Resampler, KeepsAPassbandSineWithinTheStatedErrorForEveryRatePair)
{
    struct Case {
        uint32_t in, out;
        double freq;
    } cases[] = {
        {44100, 48000, 1000},  {48000, 44100, 15000}, {44100, 96000, 19000}, {96000, 44100, 19000},
        {8000, 44100, 3000},   {48000, 8000, 3500},   {44100, 44101, 5000},  {22050, 32000, 9000},
    };
    for (const Case& c : cases) {
        Resampler r;
        ASSERT_TRUE(r.Setup(c.in, c.out, 2));
        std::vector<float> out = Resample(r, Sine(c.freq, c.in, c.in / 2, 2), 999);
        EXPECT_LT(WorstErrorDb(out, c.freq, c.out, 2, 0.5), -100.0) << c.in << " -> " << c.out << " at " << c.freq;
    }
}

TEST(Resampler, RejectsWhatLiesAboveTheLowerNyquistFrequency)
{
    // 23 kHz cannot exist at 44.1 kHz: it must vanish, not fold back below 22.05 kHz. The
    // second pair has no small ratio and runs on interpolated phases.
    struct Case {
        uint32_t in, out;
        double freq;
    } cases[] = {{48000, 44100, 23000}, {48000, 44099, 23000}, {96000, 44100, 30000}, {44100, 22050, 11500}};
    for (const Case& c : cases) {
        Resampler r;
        ASSERT_TRUE(r.Setup(c.in, c.out, 1));
        std::vector<float> out = Resample(r, Sine(c.freq, c.in, c.in, 1, 1.0), 4096);
        double peak = 0;
        for (size_t i = out.size() / 8; i < out.size() * 7 / 8; ++i)
            peak = std::max(peak, double(std::fabs(out[i])));
        EXPECT_LT(20 * std::log10(peak + 1e-30), -100.0) << c.in << " -> " << c.out;
    }
}

TEST(Resampler, OutputLengthFollowsTheRatioWhateverTheChunks)
{
    Resampler a, b;
    a.Setup(44100, 48000, 2);
    b.Setup(44100, 48000, 2);
    std::vector<float> in = Sine(440, 44100, 44101, 2);
    std::vector<float> one = Resample(a, in, 44101);
    std::vector<float> many = Resample(b, in, 17);
    ASSERT_EQ(one.size(), many.size());
    EXPECT_EQ(a.OutputFramesFor(44101) * 2, one.size());
    EXPECT_EQ(48002u, a.OutputFramesFor(44101)); // 48001.09, rounded up
    EXPECT_TRUE(one == many) << "chunking does not change a single sample";
}

TEST(Resampler, EqualRatesPassSamplesUnchangedAndResetStartsANewStream)
{
    Resampler r;
    ASSERT_TRUE(r.Setup(48000, 48000, 2));
    std::vector<float> in = Sine(1000, 48000, 1000, 2);
    EXPECT_TRUE(Resample(r, in, 100) == in);

    ASSERT_TRUE(r.Setup(32000, 48000, 1));
    std::vector<float> first = Resample(r, Sine(1000, 32000, 3000, 1), 300);
    r.Reset();
    std::vector<float> second = Resample(r, Sine(1000, 32000, 3000, 1), 300);
    EXPECT_TRUE(first == second);
}

TEST(Resampler, RefusesRatesAndChannelCountsOutOfRange)
{
    Resampler r;
    EXPECT_FALSE(r.Setup(0, 48000, 2));
    EXPECT_FALSE(r.Setup(44100, 0, 2));
    EXPECT_FALSE(r.Setup(44100, 48000, 0));
    EXPECT_FALSE(r.Setup(44100, 48000, 33));
    EXPECT_TRUE(r.Setup(44100, 48000, 32));
}

TEST(Resampler, EmptyStreamGivesNothing)
{
    Resampler r;
    r.Setup(44100, 48000, 2);
    std::vector<float> out;
    r.Flush(out);
    EXPECT_TRUE(out.empty());
}
