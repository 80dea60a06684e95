#include <gtest/gtest.h>

#include "EqEngine.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
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

double GainDb(double out, double in)
{
    return 20.0 * std::log10(out / in);
}

void ExpectNear16(const std::vector<int16_t>& out, const std::vector<int16_t>& in, int tolerance)
{
    ASSERT_EQ(out.size(), in.size());
    size_t bad = 0;
    for (size_t i = 0; i < in.size(); ++i)
        if (std::abs(int(out[i]) - int(in[i])) > tolerance && bad++ < 5)
            ADD_FAILURE() << "sample " << i << ": " << out[i] << " vs " << in[i];
}

} // namespace

// The transform the equaliser designs its FIR kernel with (the kit's).
TEST(EqEngineFft, TransformsOfEverySizeInvertAndFindTones)
{
    for (size_t n : {size_t(16384), size_t(8), size_t(1024), size_t(2), size_t(4096)}) {
        std::mt19937 rng{unsigned(n)};
        std::uniform_real_distribution<double> d(-1.0, 1.0);
        std::vector<std::complex<double>> x(n), y;
        for (auto& v : x)
            v = {d(rng), d(rng)};
        y = x;
        fxkit::Fft fft(n);
        fft.Forward(y.data());
        fft.Inverse(y.data());
        for (size_t i = 0; i < n; ++i)
            ASSERT_NEAR(std::abs(y[i] - x[i]), 0.0, 1e-9) << n;
        if (n < 8)
            continue;
        // A complex tone at bin 3 lands in bin 3 alone with the forward transform.
        for (size_t i = 0; i < n; ++i)
            y[i] = std::polar(1.0, 2.0 * kPi * 3.0 * double(i) / double(n));
        fft.Forward(y.data());
        for (size_t k = 0; k < n; ++k)
            ASSERT_NEAR(std::abs(y[k]), k == 3 ? double(n) : 0.0, 1e-6 * double(n)) << n;
    }
}

TEST(EqEngine, CountsActiveBandsBelowHalfTheRate)
{
    struct Case {
        uint32_t rate;
        int bands;
    } cases[] = {{44100, 10}, {48000, 10}, {32000, 9}, {22050, 9}, {11025, 8},
                 {8000, 7},   {1000, 4},   {130, 2},   {100, 1}};
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
    } cases[] = {{0, 0},    {20, 0},   {31.5, 0},  {44, 0},    {45, 1},    {63, 1},    {1000, 5},
                 {1400, 5}, {1420, 6}, {11000, 8}, {11300, 9}, {22050, 9}, {100000, 9}};
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
    } cases[] = {
        {{0, 0, 0, 0, 0, 12}, 1000, 6.0}, {{0, 0, 0, 0, 0, 0, 0, 0, -20}, 8000, -10.0}, {{0, 0, 0, 6}, 250, 3.0}};
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

namespace {

// Runs a float stream in chunks of `chunk` frames with `before` as the band gains until the
// first chunk that starts at or after frame `change`, and `after` from there on (the drain
// included). blockKernel receives, for each block of N frames, 0 or 1: the gains in force at
// the call that completed it (the drain completes the last, partial one).
std::vector<float> RunWithChange(EqEngine& e, const std::vector<float>& in, int channels, size_t chunk,
                                 const std::vector<float>& before, const std::vector<float>& after, size_t change,
                                 std::vector<int>& blockKernel)
{
    const size_t frames = in.size() / size_t(channels);
    const size_t n = size_t(e.BlockLength());
    std::vector<float> out;
    int setting = 0;
    size_t pos = 0;
    blockKernel.clear();
    auto call = [&](const float* src, size_t count, bool drain) {
        if (pos >= change)
            setting = 1;
        SetGains(e, true, setting ? after : before);
        e.SetDrain(drain);
        std::vector<float> dst(e.MaxOutputFrames(count) * size_t(channels));
        const size_t w = e.Process(src, count, dst.data());
        out.insert(out.end(), dst.begin(), dst.begin() + ptrdiff_t(w * size_t(channels)));
        pos += count;
        while (blockKernel.size() < pos / n)
            blockKernel.push_back(setting);
        if (drain && blockKernel.size() * n < frames)
            blockKernel.push_back(setting);
    };
    while (pos < frames) {
        const size_t count = std::min(chunk, frames - pos);
        call(in.data() + pos * size_t(channels), count, false);
    }
    call(nullptr, 0, true);
    e.SetDrain(false);
    return out;
}

std::vector<double> KernelFor(uint32_t rate, const std::vector<float>& gains)
{
    EqEngine k;
    k.Prepare(MakeFormat(rate, 1, 32, geq::kTagFloat), MakeFormat(rate, 1, 32, geq::kTagFloat));
    SetGains(k, true, gains);
    return std::vector<double>(k.FirKernel(), k.FirKernel() + k.BlockLength());
}

} // namespace

// The block-wise FFT convolution must equal, frame for frame, the direct sum over each block's
// frames with the kernel in force when that block was filtered, delayed by N/2 less.
TEST(EqEngine, FirMatchesDirectConvolutionWithItsKernelAcrossChunksAndASettingChange)
{
    const uint32_t rate = 8000; // N = 4096 keeps the direct sums short
    const std::vector<float> before = {6, -6, 6, -6, 6, -6, 6, -6, 6, -6};
    const std::vector<float> after = {-12, 0, 12, 3, -3, 0, 9, -9, 4, 0};
    const std::vector<double> kernels[2] = {KernelFor(rate, before), KernelFor(rate, after)};
    const size_t n = kernels[0].size();
    ASSERT_EQ(n, 4096u);
    const size_t frames = 3 * n + 1312, change = 5000;

    for (int channels : {1, 2}) {
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> d(-0.5f, 0.5f);
        std::vector<float> in(frames * size_t(channels));
        for (auto& v : in)
            v = d(rng);
        // Each block's contribution under either kernel, per channel.
        const size_t blocks = (frames + n - 1) / n;
        std::vector<std::vector<double>> part(blocks * 2 * size_t(channels), std::vector<double>(frames, 0.0));
        for (size_t b = 0; b < blocks; ++b) {
            for (int k = 0; k < 2; ++k) {
                for (int c = 0; c < channels; ++c) {
                    std::vector<double>& y = part[(b * 2 + size_t(k)) * size_t(channels) + size_t(c)];
                    for (size_t j = b * n; j < std::min(frames, (b + 1) * n); ++j) {
                        const double x = in[j * size_t(channels) + size_t(c)];
                        // y[t] gets h[t + N/2 - j] x[j] for taps 0..N-1.
                        const size_t t0 = j >= n / 2 ? j - n / 2 : 0;
                        const size_t t1 = std::min(frames, j + n / 2);
                        for (size_t t = t0; t < t1; ++t)
                            y[t] += kernels[k][t + n / 2 - j] * x;
                    }
                }
            }
        }
        for (size_t chunk : {size_t(1), size_t(7), size_t(1000), n - 1, n + 1, size_t(9000)}) {
            SCOPED_TRACE(testing::Message() << channels << " channels, chunks of " << chunk);
            EqEngine e;
            e.Prepare(MakeFormat(rate, uint16_t(channels), 32, geq::kTagFloat),
                      MakeFormat(rate, uint16_t(channels), 32, geq::kTagFloat));
            std::vector<int> blockKernel;
            const auto out = RunWithChange(e, in, channels, chunk, before, after, change, blockKernel);
            ASSERT_EQ(out.size(), in.size());
            ASSERT_EQ(blockKernel.size(), blocks);
            EXPECT_NE(blockKernel.front(), blockKernel.back()) << "the setting changed within the stream";
            int bad = 0;
            for (size_t t = 0; t < frames; ++t) {
                for (int c = 0; c < channels; ++c) {
                    double expected = 0.0;
                    for (size_t b = 0; b < blocks; ++b)
                        expected += part[(b * 2 + size_t(blockKernel[b])) * size_t(channels) + size_t(c)][t];
                    const float got = out[t * size_t(channels) + size_t(c)];
                    if (std::fabs(got - expected) > 2e-6 && bad++ < 5)
                        ADD_FAILURE() << "frame " << t << " channel " << c << ": " << got << " vs " << expected;
                }
            }
        }
    }
}

namespace {

int32_t Get24(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8;
}

void Put24(uint8_t* p, int32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
}

WaveFormat Make20In24(uint32_t rate)
{
    WaveFormat f = MakeFormat(rate, 1, 24, geq::kTagExtensible);
    f.extraSize = geq::kExtensibleExtraSize;
    f.validBits = 20;
    f.subFormat = geq::SubFormatOfTag(geq::kTagPcm);
    return f;
}

// One flat-gain pass of raw mono bytes through the engine (whole stream, drain included).
std::vector<uint8_t> PassFlat(bool fir, const WaveFormat& in, const WaveFormat& out, const std::vector<uint8_t>& src)
{
    EqEngine e;
    e.Prepare(in, out);
    SetGains(e, fir, {});
    const size_t inBytes = in.bitsPerSample / 8, outBytes = out.bitsPerSample / 8;
    const size_t frames = src.size() / inBytes;
    std::vector<uint8_t> dst((e.MaxOutputFrames(frames) + e.MaxOutputFrames(0)) * outBytes);
    size_t w = e.Process(src.data(), frames, dst.data());
    e.SetDrain(true);
    w += e.Process(nullptr, 0, dst.data() + w * outBytes);
    dst.resize(w * outBytes);
    return dst;
}

} // namespace

// Every integer sample comes back unchanged at flat gain: reading divides by 2^(n-1) and
// writing multiplies back and rounds to nearest, so no value loses its lowest bit.
TEST(EqEngine, EveryIntegerSampleSurvivesAFlatPassInBothModes)
{
    std::vector<uint8_t> all8(256), all16(65536 * 2), all24, all20;
    for (int v = 0; v < 256; ++v)
        all8[size_t(v)] = uint8_t(v);
    for (int v = -32768; v < 32768; ++v) {
        const int16_t s = int16_t(v);
        std::memcpy(&all16[size_t(v + 32768) * 2], &s, 2);
    }
    all24.resize((size_t(1) << 24) * 3);
    for (int32_t v = -(1 << 23); v < (1 << 23); ++v)
        Put24(&all24[size_t(v + (1 << 23)) * 3], v);
    all20.resize((size_t(1) << 20) * 3);
    for (int32_t v = -(1 << 19); v < (1 << 19); ++v)
        Put24(&all20[size_t(v + (1 << 19)) * 3], v * 16);
    for (bool fir : {false, true}) {
        SCOPED_TRACE(fir ? "FIR" : "IIR");
        const auto f8 = MakeFormat(44100, 1, 8), f16 = MakeFormat(44100, 1, 16), f24 = MakeFormat(44100, 1, 24);
        EXPECT_TRUE(PassFlat(fir, f8, f8, all8) == all8);
        EXPECT_TRUE(PassFlat(fir, f16, f16, all16) == all16);
        EXPECT_TRUE(PassFlat(fir, f24, f24, all24) == all24);
        EXPECT_TRUE(PassFlat(fir, Make20In24(44100), Make20In24(44100), all20) == all20);
    }
}

TEST(EqEngine, IntegerSamplesReadAsFractionsOfFullScale)
{
    struct Case {
        uint16_t bits;
        std::vector<uint8_t> in;
        std::vector<float> expected;
    } cases[] = {
        {8, {0, 64, 128, 255}, {-1.0f, -0.5f, 0.0f, 127.0f / 128}},
        {16, {0x00, 0x80, 0x00, 0x40, 0xFF, 0xFF, 0xFF, 0x7F}, {-1.0f, 0.5f, -1.0f / 32768, 32767.0f / 32768}},
        {24, {0x00, 0x00, 0x80, 0x00, 0x00, 0xC0, 0x01, 0x00, 0x00}, {-1.0f, -0.5f, 1.0f / 8388608}},
    };
    for (const auto& c : cases) {
        const auto out = PassFlat(false, MakeFormat(44100, 1, c.bits), MakeFormat(44100, 1, 32, geq::kTagFloat), c.in);
        ASSERT_EQ(out.size(), c.expected.size() * 4) << c.bits;
        for (size_t i = 0; i < c.expected.size(); ++i) {
            float v;
            std::memcpy(&v, &out[i * 4], 4);
            EXPECT_EQ(v, c.expected[i]) << c.bits << "-bit sample " << i;
        }
    }
}

// Float to integer: round to nearest with ties to even, clip to the container, NaN as 0; 8-bit
// is the signed value plus 128; 20 bits in 24 round at their own step, the lowest 4 bits clear.
TEST(EqEngine, SamplesAreWrittenRoundedToNearestEvenAndClipped)
{
    const float nan = std::nanf("");
    struct Case {
        WaveFormat out;
        float in;
        int32_t expected;
    } cases[] = {
        {MakeFormat(44100, 1, 16), 0.5f / 32768, 0},
        {MakeFormat(44100, 1, 16), 1.5f / 32768, 2},
        {MakeFormat(44100, 1, 16), 2.5f / 32768, 2},
        {MakeFormat(44100, 1, 16), -1.5f / 32768, -2},
        {MakeFormat(44100, 1, 16), -100.7f / 32768, -101},
        {MakeFormat(44100, 1, 16), 0.49f / 32768, 0},
        {MakeFormat(44100, 1, 16), 1.0f, 32767},
        {MakeFormat(44100, 1, 16), -1.0f, -32768},
        {MakeFormat(44100, 1, 16), -3.0f, -32768},
        {MakeFormat(44100, 1, 16), nan, 0},
        {MakeFormat(44100, 1, 8), 0.5f / 128, 128},
        {MakeFormat(44100, 1, 8), 1.5f / 128, 130},
        {MakeFormat(44100, 1, 8), -2.5f / 128, 126},
        {MakeFormat(44100, 1, 8), 1.0f, 255},
        {MakeFormat(44100, 1, 8), -1.0f, 0},
        {MakeFormat(44100, 1, 8), nan, 128},
        {MakeFormat(44100, 1, 24), 2.5f / 8388608, 2},
        {MakeFormat(44100, 1, 24), -7.5f / 8388608, -8},
        {MakeFormat(44100, 1, 24), 2.0f, 8388607},
        {MakeFormat(44100, 1, 24), nan, 0},
        {Make20In24(44100), 0x12345F / 8388608.0f, 0x123460},
        {Make20In24(44100), 0x123457 / 8388608.0f, 0x123450},
        {Make20In24(44100), -1.0f / 8388608, 0},
        {Make20In24(44100), -9.0f / 8388608, -16},
        {Make20In24(44100), 1.0f, 0x7FFFF0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> in(4);
        std::memcpy(in.data(), &c.in, 4);
        const auto out = PassFlat(false, MakeFormat(44100, 1, 32, geq::kTagFloat), c.out, in);
        const size_t bytes = c.out.bitsPerSample / 8;
        ASSERT_EQ(out.size(), bytes);
        const int32_t got = bytes == 1 ? out[0] : bytes == 2 ? int16_t(out[0] | out[1] << 8) : Get24(out.data());
        EXPECT_EQ(got, c.expected) << c.out.bitsPerSample << " bits (valid " << c.out.validBits << "), in " << c.in;
    }
}

// Float streams with samples of the largest size, a NaN burst and an infinity: both modes stay
// finite on the finite ones and are finite again a block after the others.
TEST(EqEngine, StaysFiniteOnHugeSamplesAndSettlesAfterNaNAndInfinity)
{
    const float big = std::numeric_limits<float>::max();
    for (bool fir : {false, true}) {
        SCOPED_TRACE(fir ? "FIR" : "IIR");
        auto in = Sine(1000, 44100, 5 * 8192, 0.5);
        in[5000] = big;
        in[5001] = -big;
        std::vector<float> nonFinite = in;
        for (size_t i = 20000; i < 20050; ++i)
            nonFinite[i] = std::numeric_limits<float>::quiet_NaN();
        nonFinite[22000] = -std::numeric_limits<float>::infinity();
        for (const auto* signal : {&in, &nonFinite}) {
            EqEngine e;
            e.Prepare(MakeFormat(44100, 1, 32, geq::kTagFloat), MakeFormat(44100, 1, 32, geq::kTagFloat));
            SetGains(e, fir, {12, 12, 12, 12, 12, 12, 12, 12, 12, 12}, 20.0f);
            const auto out = RunStream(e, *signal, 1, {4410});
            ASSERT_EQ(out.size(), signal->size());
            const size_t from = signal == &in ? 0 : 22000 + 2 * 8192;
            for (size_t i = from; i < out.size(); ++i)
                ASSERT_TRUE(std::isfinite(out[i])) << "frame " << i;
        }
    }
}
