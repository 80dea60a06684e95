#include <gtest/gtest.h>

#include "EqEngine.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

using geq::EqEngine;
using geq::WaveFormat;

namespace {

const double kPi = std::acos(-1.0);

WaveFormat MakeFormat(uint32_t rate, uint16_t channels, uint16_t bits, uint16_t tag = geq::kTagPcm)
{
    WaveFormat f{};
    f.formatTag = tag;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = uint16_t(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

void SetGains(EqEngine& e, bool fir, const std::vector<float>& bands, float master = 0.0f)
{
    float g[geq::kBandCount] = {};
    for (size_t i = 0; i < bands.size() && i < geq::kBandCount; ++i)
        g[i] = bands[i];
    e.SetMode(fir);
    e.SetBandGains(g);
    e.SetMasterGain(master);
}

// Runs a whole stream of interleaved samples through the engine in the given chunk sizes
// (repeated cyclically), then drains it.
template <class T>
std::vector<T> RunStream(EqEngine& e, const std::vector<T>& in, int channels, const std::vector<size_t>& chunks)
{
    const size_t frames = in.size() / channels;
    std::vector<T> out;
    size_t pos = 0, ci = 0;
    e.SetDrain(false);
    while (pos < frames) {
        const size_t n = std::min(chunks[ci++ % chunks.size()], frames - pos);
        std::vector<T> dst(e.MaxOutputFrames(n) * channels);
        const size_t w = e.Process(in.data() + pos * channels, n, dst.data());
        EXPECT_LE(w, e.MaxOutputFrames(n));
        out.insert(out.end(), dst.begin(), dst.begin() + w * channels);
        pos += n;
    }
    std::vector<T> dst(e.MaxOutputFrames(0) * channels);
    e.SetDrain(true);
    const size_t w = e.Process(nullptr, 0, dst.data());
    e.SetDrain(false);
    out.insert(out.end(), dst.begin(), dst.begin() + w * channels);
    return out;
}

std::vector<int16_t> Noise16(size_t samples, int amplitude = 8000, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-amplitude, amplitude);
    std::vector<int16_t> v(samples);
    for (auto& s : v)
        s = int16_t(d(rng));
    return v;
}

std::vector<float> Sine(double freq, double rate, size_t frames, double amplitude)
{
    std::vector<float> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] = float(amplitude * std::sin(2.0 * kPi * freq * double(i) / rate));
    return v;
}

// Amplitude of the component at freq over the given range, by correlation.
double ToneAmplitude(const std::vector<float>& v, double freq, double rate, size_t from, size_t to)
{
    double re = 0, im = 0;
    for (size_t i = from; i < to; ++i) {
        re += v[i] * std::cos(2.0 * kPi * freq * double(i) / rate);
        im += v[i] * std::sin(2.0 * kPi * freq * double(i) / rate);
    }
    return 2.0 * std::sqrt(re * re + im * im) / double(to - from);
}

double GainDb(double out, double in) { return 20.0 * std::log10(out / in); }

void ExpectNear16(const std::vector<int16_t>& out, const std::vector<int16_t>& in, int tolerance)
{
    ASSERT_EQ(out.size(), in.size());
    size_t bad = 0;
    for (size_t i = 0; i < in.size(); ++i)
        if (std::abs(int(out[i]) - int(in[i])) > tolerance && bad++ < 5)
            ADD_FAILURE() << "sample " << i << ": " << out[i] << " vs " << in[i];
}

} // namespace

TEST(EqEngineFft, TransformsOfEverySizeInvertAndFindTones)
{
    // Larger sizes first and then smaller ones, so one twiddle table serves several sizes.
    for (size_t n : {size_t(16384), size_t(8), size_t(1024), size_t(2), size_t(4096)}) {
        std::mt19937 rng{unsigned(n)};
        std::uniform_real_distribution<double> d(-1.0, 1.0);
        std::vector<double> x(2 * n), y;
        for (auto& v : x)
            v = d(rng);
        y = x;
        geq::Fft(y.data(), n, -1);
        geq::Fft(y.data(), n, +1);
        for (size_t i = 0; i < 2 * n; ++i)
            ASSERT_NEAR(y[i] / double(n), x[i], 1e-9) << n;
        if (n < 8)
            continue;
        // A complex tone at bin 3 lands in bin 3 alone with the forward transform.
        for (size_t i = 0; i < n; ++i) {
            y[2 * i] = std::cos(2.0 * kPi * 3.0 * double(i) / double(n));
            y[2 * i + 1] = std::sin(2.0 * kPi * 3.0 * double(i) / double(n));
        }
        geq::Fft(y.data(), n, -1);
        for (size_t k = 0; k < n; ++k)
            ASSERT_NEAR(std::hypot(y[2 * k], y[2 * k + 1]), k == 3 ? double(n) : 0.0, 1e-6 * double(n)) << n;
    }
}

TEST(EqEngine, CountsActiveBandsBelowHalfTheRate)
{
    struct Case {
        uint32_t rate;
        int bands;
    } cases[] = {{44100, 10}, {48000, 10}, {32000, 9}, {22050, 9}, {11025, 8}, {8000, 7}, {1000, 4}, {130, 2}, {100, 1}};
    for (const auto& c : cases) {
        EqEngine e;
        e.Prepare(MakeFormat(c.rate, 2, 16), MakeFormat(c.rate, 2, 16));
        EXPECT_EQ(e.ActiveBandCount(), c.bands) << c.rate;
    }
}

TEST(EqEngine, FirBlockIsHalvedBelow11025Hz)
{
    EqEngine e;
    e.Prepare(MakeFormat(8000, 1, 16), MakeFormat(8000, 1, 16));
    EXPECT_EQ(e.BlockLength(), 4096);
    e.Prepare(MakeFormat(11025, 1, 16), MakeFormat(11025, 1, 16));
    EXPECT_EQ(e.BlockLength(), 8192);

    // At 8000 Hz the first complete block of 4096 frames yields its second half.
    e.Prepare(MakeFormat(8000, 1, 16), MakeFormat(8000, 1, 16));
    SetGains(e, true, {});
    std::vector<int16_t> in(4096, 100), out(e.MaxOutputFrames(4096));
    EXPECT_EQ(e.Process(in.data(), 4095, out.data()), 0u);
    EXPECT_EQ(e.Process(in.data(), 1, out.data()), 2048u);
}

TEST(EqEngine, MapsFrequenciesToOctaveBands)
{
    struct Case {
        double f;
        int band;
    } cases[] = {{0, 0}, {20, 0}, {31.5, 0}, {44, 0}, {45, 1}, {63, 1}, {1000, 5}, {1400, 5}, {1420, 6},
                 {11000, 8}, {11300, 9}, {22050, 9}, {100000, 9}};
    for (const auto& c : cases)
        EXPECT_EQ(EqEngine::BandForFrequency(c.f), c.band) << c.f;
}

TEST(EqEngine, PassesSamplesThroughAtZeroDbInBothModes)
{
    for (bool fir : {false, true}) {
        for (int channels : {1, 2, 6}) {
            EqEngine e;
            e.Prepare(MakeFormat(44100, uint16_t(channels), 16), MakeFormat(44100, uint16_t(channels), 16));
            SetGains(e, fir, {});
            const auto in = Noise16(30000 * size_t(channels));
            const auto out = RunStream(e, in, channels, {4410});
            SCOPED_TRACE(testing::Message() << "fir " << fir << " channels " << channels);
            ExpectNear16(out, in, 1); // integer output truncates
        }
    }
}

TEST(EqEngine, BoostsOneKilohertzByTwelveDbInIirMode)
{
    EqEngine e;
    e.Prepare(MakeFormat(44100, 1, 32, geq::kTagFloat), MakeFormat(44100, 1, 32, geq::kTagFloat));
    SetGains(e, false, {0, 0, 0, 0, 0, 12});
    const auto in = Sine(1000, 44100, 44100, 0.01);
    const auto out = RunStream(e, in, 1, {1024});
    EXPECT_NEAR(GainDb(ToneAmplitude(out, 1000, 44100, 22050, 44100), 0.01), 12.0, 0.3);
    // An octave away the boost has mostly gone.
    EqEngine f;
    f.Prepare(MakeFormat(44100, 1, 32, geq::kTagFloat), MakeFormat(44100, 1, 32, geq::kTagFloat));
    SetGains(f, false, {0, 0, 0, 0, 0, 12});
    const auto low = RunStream(f, Sine(250, 44100, 44100, 0.01), 1, {1024});
    EXPECT_LT(GainDb(ToneAmplitude(low, 250, 44100, 22050, 44100), 0.01), 3.0);
}

TEST(EqEngine, ReachesHalfTheBandGainInFirMode)
{
    struct Case {
        std::vector<float> gains;
        double freq;
        double expectDb;
    } cases[] = {{{0, 0, 0, 0, 0, 12}, 1000, 6.0}, {{0, 0, 0, 0, 0, 0, 0, 0, -20}, 8000, -10.0},
                 {{0, 0, 0, 6}, 250, 3.0}};
    for (const auto& c : cases) {
        EqEngine e;
        e.Prepare(MakeFormat(44100, 1, 32, geq::kTagFloat), MakeFormat(44100, 1, 32, geq::kTagFloat));
        SetGains(e, true, c.gains);
        const auto out = RunStream(e, Sine(c.freq, 44100, 65536, 0.01), 1, {3000});
        ASSERT_EQ(out.size(), 65536u);
        EXPECT_NEAR(GainDb(ToneAmplitude(out, c.freq, 44100, 16384, 49152), 0.01), c.expectDb, 0.5) << c.freq;
    }
}

TEST(EqEngine, AppliesMasterGainAndClipsIntegerContainersOnly)
{
    for (bool fir : {false, true}) {
        SCOPED_TRACE(fir ? "FIR" : "IIR");
        EqEngine e16;
        e16.Prepare(MakeFormat(44100, 1, 16), MakeFormat(44100, 1, 16));
        SetGains(e16, fir, {}, 6.0f);
        const std::vector<int16_t> in16 = {30000, -30000, 1000, 0};
        const auto out16 = RunStream(e16, in16, 1, {4});
        ASSERT_EQ(out16.size(), 4u);
        EXPECT_EQ(out16[0], 32767);
        EXPECT_EQ(out16[1], -32768);
        EXPECT_NEAR(out16[2], 1995, 2);

        EqEngine ef;
        ef.Prepare(MakeFormat(44100, 1, 32, geq::kTagFloat), MakeFormat(44100, 1, 32, geq::kTagFloat));
        SetGains(ef, fir, {}, 6.0f);
        const auto outf = RunStream(ef, std::vector<float>{0.9f, -0.9f}, 1, {2});
        ASSERT_EQ(outf.size(), 2u);
        EXPECT_NEAR(outf[0], 0.9 * std::pow(10.0, 0.3), 1e-4);
        EXPECT_NEAR(outf[1], -0.9 * std::pow(10.0, 0.3), 1e-4);

        EqEngine e8;
        e8.Prepare(MakeFormat(44100, 1, 8), MakeFormat(44100, 1, 8));
        SetGains(e8, fir, {}, 20.0f);
        const auto out8 = RunStream(e8, std::vector<uint8_t>{250, 5, 128}, 1, {3});
        ASSERT_EQ(out8.size(), 3u);
        EXPECT_EQ(out8[0], 255);
        EXPECT_EQ(out8[1], 0);
        EXPECT_NEAR(out8[2], 128, 1);
    }
    // 24-bit: clipped to its own range, three bytes a sample.
    EqEngine e24;
    e24.Prepare(MakeFormat(44100, 1, 24), MakeFormat(44100, 1, 24));
    SetGains(e24, false, {}, 6.0f);
    const uint8_t in24[6] = {0x00, 0x00, 0x70, 0x00, 0x00, 0x90}; // 0x700000, -0x700000
    uint8_t out24[6] = {};
    ASSERT_EQ(e24.Process(in24, 2, out24), 2u);
    EXPECT_EQ(out24[0], 0xFF);
    EXPECT_EQ(out24[1], 0xFF);
    EXPECT_EQ(out24[2], 0x7F);
    EXPECT_EQ(out24[3], 0x00);
    EXPECT_EQ(out24[4], 0x00);
    EXPECT_EQ(out24[5], 0x80);
}

TEST(EqEngine, MasterGainIsClampedToItsRange)
{
    EqEngine e;
    e.Prepare(MakeFormat(44100, 1, 32, geq::kTagFloat), MakeFormat(44100, 1, 32, geq::kTagFloat));
    SetGains(e, false, {}, 40.0f);
    float in = 0.001f, out = 0;
    e.Process(&in, 1, &out);
    EXPECT_NEAR(out, 0.01f, 1e-6);
    SetGains(e, false, {}, -100.0f);
    e.Process(&in, 1, &out);
    EXPECT_NEAR(out, 0.000001f, 1e-9);
}

TEST(EqEngine, FlushesTinyIirStatesToZeroAfterEachChunk)
{
    EqEngine e;
    e.Prepare(MakeFormat(44100, 1, 32, geq::kTagFloat), MakeFormat(44100, 1, 32, geq::kTagFloat));
    SetGains(e, false, {12, 12, 12, 12, 12, 12, 12, 12, 12, 12});
    float tiny = 1e-31f, out = 0;
    e.Process(&tiny, 1, &out);
    EXPECT_NE(out, 0.0f);
    std::vector<float> zeros(64, 0.0f), after(64, 1.0f);
    e.Process(zeros.data(), zeros.size(), after.data());
    for (float v : after)
        EXPECT_EQ(v, 0.0f);

    // A state above the floor is kept and rings on.
    EqEngine k;
    k.Prepare(MakeFormat(44100, 1, 32, geq::kTagFloat), MakeFormat(44100, 1, 32, geq::kTagFloat));
    SetGains(k, false, {12, 12, 12, 12, 12, 12, 12, 12, 12, 12});
    float small = 1e-20f;
    k.Process(&small, 1, &out);
    k.Process(zeros.data(), zeros.size(), after.data());
    EXPECT_NE(after[0], 0.0f);
}

TEST(EqEngine, FirOutputLagsAHalfBlockThenCatchesUp)
{
    EqEngine e;
    e.Prepare(MakeFormat(44100, 2, 16), MakeFormat(44100, 2, 16));
    SetGains(e, true, {});
    const size_t n = 8192;
    const auto in = Noise16(3 * n * 2);
    std::vector<int16_t> out(e.MaxOutputFrames(3 * n) * 2);
    EXPECT_EQ(e.Process(in.data(), n - 1, out.data()), 0u); // nothing until a block is complete
    EXPECT_EQ(e.Process(in.data() + (n - 1) * 2, 1, out.data()), n / 2);
    EXPECT_EQ(e.Process(in.data() + n * 2, 2 * n, out.data()), 2 * n);
    e.SetDrain(true);
    EXPECT_EQ(e.Process(nullptr, 0, out.data()), n / 2);
}

TEST(EqEngine, StreamsOfAnyLengthKeepTheirFrameCount)
{
    const size_t n = 8192;
    for (size_t frames : {size_t(0), size_t(1), size_t(100), n / 2, n - 1, n, n + 1, 3 * n + 5}) {
        EqEngine e;
        e.Prepare(MakeFormat(44100, 2, 16), MakeFormat(44100, 2, 16));
        SetGains(e, true, {});
        const auto in = Noise16(frames * 2);
        const auto out = RunStream(e, in, 2, {1000});
        SCOPED_TRACE(frames);
        ExpectNear16(out, in, 1);
    }
}

TEST(EqEngine, ChunksOfGrowingAndRandomSizesGiveTheSameOutput)
{
    const std::vector<float> gains = {6, -6, 6, -6, 6, -6, 6, -6, 6, -6};
    const auto in = Noise16(200000 * 2);
    EqEngine ref;
    ref.Prepare(MakeFormat(44100, 2, 16), MakeFormat(44100, 2, 16));
    SetGains(ref, true, gains);
    const auto whole = RunStream(ref, in, 2, {200000});
    ASSERT_EQ(whole.size(), in.size());

    std::mt19937 rng(3);
    std::vector<size_t> randomSizes;
    for (int i = 0; i < 50; ++i)
        randomSizes.push_back(1 + rng() % 30000);
    const std::vector<std::vector<size_t>> schemes = {{10, 100, 1000, 20000, 60000, 119000}, {1}, randomSizes};
    for (const auto& chunks : schemes) {
        if (chunks.size() == 1 && chunks[0] == 1)
            continue; // one frame a call is covered below on a shorter stream
        EqEngine e;
        e.Prepare(MakeFormat(44100, 2, 16), MakeFormat(44100, 2, 16));
        SetGains(e, true, gains);
        const auto out = RunStream(e, in, 2, chunks);
        ExpectNear16(out, whole, 1);
    }
    // One frame per call.
    const std::vector<int16_t> shortIn(in.begin(), in.begin() + 20000 * 2);
    EqEngine a, b;
    for (EqEngine* e : {&a, &b}) {
        e->Prepare(MakeFormat(44100, 2, 16), MakeFormat(44100, 2, 16));
        SetGains(*e, true, gains);
    }
    ExpectNear16(RunStream(a, shortIn, 2, {1}), RunStream(b, shortIn, 2, {20000}), 1);
}

TEST(EqEngine, ModeChangesMidStreamLoseNoFrames)
{
    // At 0 dB both modes pass the signal, so the stream must come out whole across changes.
    const size_t n = 8192;
    const auto in = Noise16(10 * n * 2);
    EqEngine e;
    e.Prepare(MakeFormat(44100, 2, 16), MakeFormat(44100, 2, 16));
    std::vector<int16_t> out;
    const size_t chunk = 3000;
    bool fir = false;
    size_t sinceSwitch = 0;
    for (size_t pos = 0; pos < 10 * n; pos += chunk) {
        const size_t frames = std::min(chunk, 10 * n - pos);
        if (pos == 5 * chunk || pos == 12 * chunk || pos == 15 * chunk) {
            fir = !fir;
            sinceSwitch = 0;
        }
        SetGains(e, fir, {});
        std::vector<int16_t> dst(e.MaxOutputFrames(frames) * 2);
        const size_t w = e.Process(in.data() + pos * 2, frames, dst.data());
        if (fir && sinceSwitch + frames < n) {
            EXPECT_EQ(w, 0u) << "FIR restarts its delay compensation at " << pos;
        } else if (fir && sinceSwitch < n) {
            EXPECT_EQ(w, n / 2) << "first FIR block after the change at " << pos;
        }
        sinceSwitch += frames;
        out.insert(out.end(), dst.begin(), dst.begin() + w * 2);
    }
    std::vector<int16_t> dst(e.MaxOutputFrames(0) * 2);
    e.SetDrain(true);
    const size_t w = e.Process(nullptr, 0, dst.data());
    out.insert(out.end(), dst.begin(), dst.begin() + w * 2);
    ExpectNear16(out, in, 1);
}
