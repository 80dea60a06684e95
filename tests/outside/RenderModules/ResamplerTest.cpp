#include "Resampler.h"

#include <gtest/gtest.h>

#include <cmath>

using fxkit::Resampler;

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
        {44100, 48000, 1000}, {48000, 44100, 15000}, {44100, 96000, 19000}, {96000, 44100, 19000},
        {8000, 44100, 3000},  {48000, 8000, 3500},   {44100, 44101, 5000},  {22050, 32000, 9000},
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

namespace {

// Least-squares fit of a sine at freq over the middle half of a mono signal: its amplitude, and
// the RMS of everything else.
void FitSine(const std::vector<float>& x, double freq, uint32_t rate, double& amp, double& restRms)
{
    size_t a = x.size() / 4, b = x.size() * 3 / 4;
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
    for (size_t i = a; i < b; ++i) {
        double s = std::sin(2 * kPi * freq * i / rate), c = std::cos(2 * kPi * freq * i / rate);
        ss += s * s, cc += c * c, sc += s * c, xs += x[i] * s, xc += x[i] * c;
    }
    double det = ss * cc - sc * sc, p = (xs * cc - xc * sc) / det, q = (xc * ss - xs * sc) / det;
    amp = std::sqrt(p * p + q * q);
    double e2 = 0;
    for (size_t i = a; i < b; ++i) {
        double e = x[i] - p * std::sin(2 * kPi * freq * i / rate) - q * std::cos(2 * kPi * freq * i / rate);
        e2 += e * e;
    }
    restRms = std::sqrt(e2 / double(b - a));
}

double MiddleRms(const std::vector<float>& x, int channels, int channel)
{
    size_t frames = x.size() / channels, a = frames / 4, b = frames * 3 / 4;
    double s = 0;
    for (size_t i = a; i < b; ++i)
        s += double(x[i * channels + channel]) * x[i * channels + channel];
    return std::sqrt(s / double(b - a));
}

struct RatePair {
    uint32_t in, out;
};
// Small and large steps up and down, a ratio with no small terms (interpolated phases), and
// downward steps that lengthen the sharp filter.
const RatePair kPairs[] = {{44100, 48000}, {48000, 44100}, {44100, 96000}, {96000, 44100}, {8000, 44100},
                           {48000, 8000},  {48000, 44099}, {44100, 44101}, {22050, 32000}};

} // namespace

TEST(Resampler, PassbandRippleStaysWithinAThousandthOfADecibelToNinetyPercentOfNyquist)
{
    for (const RatePair& p : kPairs) {
        const double lowerNyquist = 0.5 * std::min(p.in, p.out);
        double lo = 1e9, hi = -1e9;
        for (double fraction : {0.01, 0.2, 0.5, 0.7, 0.8, 0.85, 0.88, 0.9}) {
            const double freq = fraction * lowerNyquist;
            Resampler r;
            ASSERT_TRUE(r.Setup(p.in, p.out, 1));
            std::vector<float> in = Sine(freq, p.in, p.in / 2, 1);
            double ampIn, restIn, amp, rest;
            FitSine(in, freq, p.in, ampIn, restIn);
            FitSine(Resample(r, in, 4096), freq, p.out, amp, rest);
            double gainDb = 20 * std::log10(amp / ampIn);
            lo = std::min(lo, gainDb), hi = std::max(hi, gainDb);
        }
        EXPECT_LT(hi - lo, 0.001) << p.in << " -> " << p.out;
        EXPECT_LT(std::max(std::fabs(lo), std::fabs(hi)), 0.001) << p.in << " -> " << p.out;
    }
}

TEST(Resampler, RejectsTheStopbandByAtLeast120Decibels)
{
    for (const RatePair& p : kPairs) {
        const double lowerNyquist = 0.5 * std::min(p.in, p.out);
        // Above the lower Nyquist frequency, from its very edge on (only where the input can
        // hold it): nothing may come through.
        for (double fraction : {1.001, 1.02, 1.2, 1.6}) {
            const double freq = fraction * lowerNyquist;
            if (freq >= 0.5 * p.in)
                continue;
            Resampler r;
            ASSERT_TRUE(r.Setup(p.in, p.out, 1));
            std::vector<float> out = Resample(r, Sine(freq, p.in, p.in / 2, 1, 1.0), 4096);
            double levelDb = 20 * std::log10(MiddleRms(out, 1, 0) * std::sqrt(2.0) + 1e-30);
            EXPECT_LT(levelDb, -120.0) << p.in << " -> " << p.out << " at " << freq;
        }
        // Within the passband: all but the sine itself (images, aliases, noise of the arithmetic).
        for (double fraction : {0.05, 0.35, 0.7, 0.9}) {
            const double freq = fraction * lowerNyquist;
            Resampler r;
            ASSERT_TRUE(r.Setup(p.in, p.out, 1));
            double amp, rest;
            FitSine(Resample(r, Sine(freq, p.in, p.in / 2, 1, 1.0), 4096), freq, p.out, amp, rest);
            EXPECT_LT(20 * std::log10(rest * std::sqrt(2.0) / amp), -120.0)
                << p.in << " -> " << p.out << " at " << freq;
        }
    }
}

TEST(Resampler, ChannelsDoNotLeakIntoEachOther)
{
    // Channels are filtered two at a time; an odd one goes alone. A loud sine in one channel
    // leaves silence silent in every other.
    for (int channels : {2, 3}) {
        for (int loud = 0; loud < channels; ++loud) {
            Resampler r;
            ASSERT_TRUE(r.Setup(44100, 48000, channels));
            std::vector<float> in(size_t(44100) / 2 * channels, 0.0f);
            for (size_t i = 0; i < in.size() / channels; ++i)
                in[i * channels + loud] = float(std::sin(2 * kPi * 3000.0 * i / 44100));
            std::vector<float> out = Resample(r, in, 1000);
            for (int c = 0; c < channels; ++c) {
                if (c == loud)
                    continue;
                EXPECT_LT(20 * std::log10(MiddleRms(out, channels, c) + 1e-30), -130.0)
                    << channels << " channels, sine in " << loud << ", heard in " << c;
            }
        }
    }
}

TEST(Resampler, RefusesADownwardStepTooSteepForItsFilterAndKeepsItsSetup)
{
    Resampler r;
    ASSERT_TRUE(r.Setup(48000, 44100, 2));
    EXPECT_FALSE(r.Setup(10000000, 8000, 2));
    EXPECT_EQ(48000u, r.InRate());
    EXPECT_EQ(44100u, r.OutRate());
    EXPECT_TRUE(r.Setup(10000000, 44100, 1)); // about 227 to 1 is still within reach
}

TEST(Resampler, StepsDownSteeplyWithoutLosingItsPlaceOverManyBlocks)
{
    // Here each output frame moves on further at the doubled rate than its short filter reaches,
    // so between blocks the next window may start past all the doubled-rate signal held.
    struct Case {
        uint32_t in, out;
        double freq;
        size_t frames;
    } cases[] = {{48000, 2000, 500, 48000 * 4}, {44100, 1000, 300, 44100 * 4}, {48000, 200, 50, 48000 * 30}};
    for (const Case& c : cases) {
        Resampler r;
        ASSERT_TRUE(r.Setup(c.in, c.out, 1));
        std::vector<float> out = Resample(r, Sine(c.freq, c.in, c.frames, 1), 3001);
        ASSERT_EQ(r.OutputFramesFor(c.frames), out.size()) << c.in << " -> " << c.out;
        double worst = 0;
        for (size_t i = out.size() / 4; i < out.size() * 3 / 4; ++i)
            worst = std::max(worst, std::fabs(out[i] - 0.5 * std::sin(2 * kPi * c.freq * i / c.out)));
        EXPECT_LT(20 * std::log10(worst / 0.5 + 1e-30), -100.0) << c.in << " -> " << c.out;
    }
}
