// The signal checks of the echo, hum and other kernels of the second group of effects on short
// fixtures (one table), and the length their filters answer to seeking.
#include "EffectModuleKit.h"

#include "Fft.h"

#include "GraphRunner.h"
#include "TailSeeking.h"
#include "TestFilters.h"

#include "CrackleKernel.h"
#include "DelayKernel.h"
#include "HissKernel.h"
#include "HumKernel.h"
#include "KvSEDely.h"
#include "KvSEPtch.h"
#include "KvSETime.h"
#include "PitchShiftKernel.h"
#include "ReverbKernel.h"
#include "TimeStretchKernel.h"

#include <complex>
#include <functional>
#include <random>

using namespace fxtest;

namespace {

constexpr double kRate = 44100;

// The frequency of a tone near f in one channel, from the turn of its phase between two
// halves of [from, from + count).
double ToneFrequency(const std::vector<float>& v, int channels, double f, size_t from, size_t count)
{
    auto phase = [&](size_t at) {
        std::complex<double> z;
        for (size_t i = at; i < at + count / 2; ++i)
            z += double(v[i * size_t(channels)]) * std::polar(1.0, -2 * 3.14159265358979 * f * double(i) / kRate);
        return std::arg(z);
    };
    double turn = phase(from + count / 2) - phase(from);
    turn -= 2 * 3.14159265358979 * std::round(turn / (2 * 3.14159265358979));
    return f + turn / (2 * 3.14159265358979 * (double(count / 2) / kRate));
}

const ModuleRow* RowOf(const CLSID& clsid)
{
    for (const auto& r : Modules())
        if (r.clsid == clsid)
            return &r;
    return nullptr;
}

// Eight tones from 196 Hz to 2.6 kHz, each swelling slowly, over noise at -54 dBFS: music as a
// click remover meets it.
std::vector<float> TonesAndNoise(size_t frames)
{
    const double freq[] = {196, 247, 294, 392, 587, 880, 1319, 2637};
    const double level[] = {0.12, 0.1, 0.08, 0.07, 0.05, 0.03, 0.02, 0.01};
    const double pi = 3.14159265358979;
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 0.002);
    std::vector<float> v(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        double s = 0;
        for (int k = 0; k < 8; ++k)
            s += level[k] * (0.7 + 0.3 * std::sin(2 * pi * (0.5 + 0.3 * k) * t + k)) *
                 std::sin(2 * pi * freq[k] * t + k);
        v[i] = float(s + noise(rng));
    }
    return v;
}

// The sound with 50 clicks about 57 ms apart: random samples under a half sine, 0.1 to 0.5
// high, `length` samples long or, for 0, 1 to 89 (most short).
std::vector<float> WithClicks(std::vector<float> v, size_t length)
{
    std::mt19937 rng(107);
    std::uniform_real_distribution<double> u(0, 1);
    for (int c = 0; c < 50; ++c) {
        const size_t start = 4410 + size_t(c) * 2520 + size_t(u(rng) * 800);
        const size_t n = length ? length : 1 + size_t(u(rng) * u(rng) * 88);
        double height = 0.1 + 0.4 * u(rng);
        if (u(rng) < 0.5)
            height = -height;
        for (size_t i = 0; i < n; ++i) {
            const double shape = n == 1 ? 1 : std::sin(3.14159265358979 * (double(i) + 0.5) / double(n));
            v[start + i] += float(height * shape * (i == 0 || n < 4 ? 1 : 2 * u(rng) - 1));
        }
    }
    return v;
}

struct Check {
    const char* name;
    std::function<void()> run;
};

std::vector<Check> Checks()
{
    return {
        {"Delay: echo k at k d with mix fb^(k-1), silence between, the tail down to -90 dBFS",
         [] {
             fx::DelayKernel k;
             const auto v = fxkit::TableValues(
                 fx::kDelayParams,
                 {{fx::kDelayTime, 100}, {fx::kDelayFeedback, 50}, {fx::kDelayMix, 60}, {fx::kDelayDamping, 0}});
             std::vector<float> in(44100, 0.0f);
             in[0] = 1.0f;
             const auto out = KernelOutput(k, in, 1, 1, v.data());
             const size_t d = 4410;
             const uint64_t tail = k.TailFrames(v.data(), kRate);
             ASSERT_EQ(out.size(), in.size() + tail);
             EXPECT_EQ(tail % d, 0u);
             EXPECT_NEAR(out[0], 0.4, 1e-6);
             size_t echoes = 0;
             for (size_t i = 1; i < out.size(); ++i) {
                 if (i % d) {
                     ASSERT_EQ(out[i], 0.0f) << i;
                     continue;
                 }
                 const double expected = 0.6 * std::pow(0.5, double(i / d - 1));
                 EXPECT_NEAR(Db(out[i] / expected), 0.0, 0.1) << "echo " << i / d;
                 if (out[i] > 3.1623e-5)
                     ++echoes;
             }
             // The tail ends with the first echo at or below -90 dBFS.
             EXPECT_EQ(echoes + 1, tail / d);
         }},
        {"Delay: ping-pong puts the odd echoes left and the even ones right; damping dulls them",
         [] {
             fx::DelayKernel k;
             auto v = fxkit::TableValues(fx::kDelayParams, {{fx::kDelayTime, 10},
                                                            {fx::kDelayFeedback, 80},
                                                            {fx::kDelayMix, 100},
                                                            {fx::kDelayDamping, 0},
                                                            {fx::kDelayPingPong, 1}});
             std::vector<float> in(2 * 2000, 0.0f);
             in[0] = 1.0f;
             const auto out = KernelOutput(k, in, 2, 2, v.data());
             const size_t d = 441;
             for (size_t e = 1; e <= 4; ++e) {
                 const double level = std::pow(0.8, double(e - 1));
                 EXPECT_NEAR(out[2 * e * d + (e % 2 ? 0 : 1)], level, 1e-5) << e;
                 EXPECT_EQ(out[2 * e * d + (e % 2 ? 1 : 0)], 0.0f) << e;
             }
             // A 10 kHz tone loses more per pass than a 200 Hz one with damping.
             v[fx::kDelayPingPong] = 0;
             v[fx::kDelayDamping] = 80;
             auto after = [&](double f) {
                 fx::DelayKernel dk;
                 const auto o = KernelOutput(dk, Sine(f, 0.5, kRate, 441 * 3, 1), 1, 1, v.data());
                 return ToneAmplitude(o, 1, 0, f, kRate, 441 * 4, 441);
             };
             EXPECT_LT(after(10000), 0.3 * after(200));
         }},
        {"Hum: 60 Hz and ten harmonics at least 30 dB down, 1 kHz within 0.1 dB",
         [] {
             const auto v = fxkit::TableValues(fx::kHumParams, {{fx::kHumMains, 1}, {fx::kHumHarmonics, 10}});
             std::vector<float> in(88200, 0.0f);
             for (int h = 1; h <= 11; ++h) {
                 const auto tone = Sine(60.0 * h, 0.05, kRate, 88200, 1);
                 for (size_t i = 0; i < in.size(); ++i)
                     in[i] += tone[i];
             }
             const auto tone = Sine(1000, 0.25, kRate, 88200, 1);
             for (size_t i = 0; i < in.size(); ++i)
                 in[i] += tone[i];
             fx::HumKernel k;
             const auto out = KernelOutput(k, in, 1, 1, v.data());
             for (int h = 1; h <= 11; ++h)
                 EXPECT_LT(Db(ToneAmplitude(out, 1, 0, 60.0 * h, kRate, 44100, 44100) / 0.05), -30.0) << h;
             EXPECT_NEAR(Db(ToneAmplitude(out, 1, 0, 1000, kRate, 44100, 44100) / 0.25), 0.0, 0.1);
             EXPECT_NEAR(Db(k.MagnitudeAt(1000)), 0.0, 0.01);
             // 50 Hz mains: its own harmonics, not 60 Hz's.
             fx::HumKernel k50;
             auto v50 = v;
             v50[fx::kHumMains] = 0;
             k50.Prepare({kRate, 1, 1}, v50.data());
             EXPECT_LT(Db(k50.MagnitudeAt(150)), -60.0);
             EXPECT_GT(Db(k50.MagnitudeAt(180)), -0.5);
         }},
        {"Reverb: the energy decays 60 dB in the reverberation time within 10 %; the sides are decorrelated",
         [] {
             for (double t : {0.5, 2.0}) {
                 SCOPED_TRACE(t);
                 fx::ReverbKernel k;
                 const auto v = fxkit::TableValues(fx::kReverbParams, {{fx::kRevTime, t},
                                                                       {fx::kRevPreDelay, 0},
                                                                       {fx::kRevDamping, 0},
                                                                       {fx::kRevEarly, 0},
                                                                       {fx::kRevMix, 100}});
                 std::vector<float> in(2 * 100, 0.0f);
                 in[0] = in[1] = 1.0f;
                 const auto out = KernelOutput(k, in, 2, 2, v.data());
                 ASSERT_EQ(out.size(), 2 * (100 + k.TailFrames(v.data(), kRate)));
                 // Schroeder's backward integral of the left channel; the slope from -5 to -35 dB.
                 const size_t n = out.size() / 2;
                 std::vector<double> energy(n + 1, 0.0);
                 for (size_t i = n; i-- > 0;)
                     energy[i] = energy[i + 1] + double(out[2 * i]) * out[2 * i];
                 size_t at5 = 0, at35 = 0;
                 for (size_t i = 0; i < n; ++i) {
                     const double db = 10 * std::log10(energy[i] / energy[0]);
                     if (!at5 && db <= -5)
                         at5 = i;
                     if (!at35 && db <= -35)
                         at35 = i;
                 }
                 ASSERT_GT(at35, at5);
                 const double rt60 = 2.0 * double(at35 - at5) / kRate;
                 EXPECT_NEAR(rt60 / t, 1.0, 0.1) << rt60;
                 // The tail reaches -90 dB of the response's start.
                 EXPECT_LT(10 * std::log10(energy[n - 4410] / energy[0]), -80.0);
             }
             fx::ReverbKernel k;
             const auto v = fxkit::TableValues(fx::kReverbParams, {{fx::kRevTime, 1.5}, {fx::kRevMix, 100}});
             const auto out = KernelOutput(k, Noise(66150, 2, 0.3, 5), 2, 2, v.data());
             double lr = 0, ll = 0, rr = 0;
             for (size_t i = 22050; i < 66150; ++i) {
                 lr += double(out[2 * i]) * out[2 * i + 1];
                 ll += double(out[2 * i]) * out[2 * i];
                 rr += double(out[2 * i + 1]) * out[2 * i + 1];
             }
             EXPECT_LT(std::fabs(lr / std::sqrt(ll * rr)), 0.3);
             // The reverberation of white noise keeps the power of what feeds it (the channels'
             // mean, half the power of two independent ones) within 2 dB.
             EXPECT_NEAR(10 * std::log10(ll / 44100 / (0.09 / 3 / 2)), 0.0, 2.0);
         }},
        {"Time stretch: x2 and x0.5 give the exact length and keep a 1 kHz tone's pitch within 1 %, preview too",
         [] {
             for (double length : {200.0, 50.0, 137.0})
                 for (bool preview : {false, true}) {
                     SCOPED_TRACE(testing::Message() << length << (preview ? " preview" : " best"));
                     fx::TimeStretchKernel k;
                     k.SetPreview(preview);
                     const auto v = fxkit::TableValues(fx::kTimeStretchParams, {{fx::kStretchLength, length}});
                     const auto out = KernelOutput(k, Sine(1000, 0.5, kRate, 66150, 2), 2, 2, v.data());
                     const size_t frames = size_t(std::llround(66150 * length / 100));
                     ASSERT_EQ(out.size(), 2 * frames);
                     const size_t from = frames / 4, to = 3 * frames / 4;
                     const double freq = ToneFrequency(out, 2, 1000, from, to - from);
                     EXPECT_NEAR(freq, 1000, 10);
                     // The level holds (frames join in phase).
                     EXPECT_NEAR(Db(ToneAmplitude(out, 2, 1, freq, kRate, from, to - from) / 0.5), 0.0, 1.0);
                 }
         }},
        {"Pitch shift: 1 kHz +12 gives 2 kHz within 1 Hz, -12 gives 500 Hz, the length kept",
         [] {
             for (bool preview : {false, true})
                 for (double semitones : {12.0, -12.0, 7.0}) {
                     SCOPED_TRACE(testing::Message() << semitones << (preview ? " preview" : " best"));
                     fx::PitchShiftKernel k;
                     k.SetPreview(preview);
                     const auto v = fxkit::TableValues(fx::kPitchShiftParams, {{fx::kPitchSemitones, semitones}});
                     const auto out = KernelOutput(k, Sine(1000, 0.5, kRate, 66150, 2), 2, 2, v.data());
                     ASSERT_EQ(out.size(), 2u * 66150);
                     const double f = 1000 * std::pow(2.0, semitones / 12);
                     EXPECT_NEAR(ToneFrequency(out, 2, f, 11025, 44100), f, 1.0);
                     // Peaks move by whole bins: a tone between bins loses up to 3 dB.
                     EXPECT_NEAR(Db(ToneAmplitude(out, 2, 1, f, kRate, 11025, 44100) / 0.5), 0.0, 3.0);
                     EXPECT_LT(Db(ToneAmplitude(out, 2, 0, 1000, kRate, 11025, 44100) / 0.5), -40.0);
                 }
             // No shift: the sound as it is.
             fx::PitchShiftKernel k;
             const auto v = fxkit::TableValues(fx::kPitchShiftParams, {});
             const auto in = Noise(20000, 1, 0.5, 9);
             const auto out = KernelOutput(k, in, 1, 1, v.data());
             for (size_t i = 0; i < in.size(); i += 7)
                 ASSERT_NEAR(out[i], in[i], 1e-5) << i;
         }},
        {"Hiss: noise over the corner at least 10 dB down, a 1 kHz tone within 0.5 dB, a loud 6 kHz tone kept",
         [] {
             const auto v = fxkit::TableValues(
                 fx::kHissParams, {{fx::kHissReduction, 20}, {fx::kHissCorner, 3000}, {fx::kHissThreshold, 6}});
             auto in = Noise(88200, 1, 0.02, 11);
             const auto tone = Sine(1000, 0.25, kRate, 88200, 1), high = Sine(6000, 0.1, kRate, 88200, 1);
             for (size_t i = 0; i < in.size(); ++i)
                 in[i] += tone[i] + high[i];
             fx::HissKernel k;
             const auto out = KernelOutput(k, in, 1, 1, v.data());
             ASSERT_EQ(out.size(), in.size());
             // Noise power over the corner, over the last second, away from the 6 kHz tone (the
             // tone's skirt keeps the bins near it open: the noise there is masked by it).
             auto bandPower = [](const std::vector<float>& x) {
                 fxkit::Fft fft(32768);
                 std::vector<std::complex<double>> z(32768);
                 for (size_t i = 0; i < z.size(); ++i)
                     z[i] = x[44100 + i] * (0.5 - 0.5 * std::cos(2 * 3.14159265358979 * double(i) / 32768));
                 fft.Forward(z.data());
                 double p = 0;
                 for (size_t b = 32768 * 3500 / 44100; b < 32768 * 20000 / 44100; ++b)
                     if (std::fabs(double(b) * 44100 / 32768 - 6000) > 1000)
                         p += std::norm(z[b]);
                 return p;
             };
             EXPECT_LT(10 * std::log10(bandPower(out) / bandPower(in)), -10.0);
             EXPECT_NEAR(Db(ToneAmplitude(out, 1, 0, 1000, kRate, 44100, 44100) / 0.25), 0.0, 0.5);
             EXPECT_NEAR(Db(ToneAmplitude(out, 1, 0, 6000, kRate, 44100, 44100) / 0.1), 0.0, 1.0);
         }},
        {"Crackle: 50 clicks in tones and noise found, the error against the clean sound 20 dB less or more; "
         "a channel with no click and bursts longer than the longest click come back exactly",
         [] {
             const size_t frames = 3 * 44100;
             const auto clean = TonesAndNoise(frames), clicked = WithClicks(clean, 0);
             // Clicks on the left only.
             std::vector<float> in(2 * frames);
             for (size_t i = 0; i < frames; ++i) {
                 in[2 * i] = clicked[i];
                 in[2 * i + 1] = clean[i];
             }
             const auto v = fxkit::TableValues(fx::kCrackleParams, {});
             fx::CrackleKernel k;
             const auto out = KernelOutput(k, in, 2, 2, v.data());
             ASSERT_EQ(out.size(), in.size());
             EXPECT_EQ(k.ClicksFound(), 50u);
             double before = 0, after = 0;
             size_t changed = 0;
             for (size_t i = 0; i < frames; ++i) {
                 before += std::pow(double(clicked[i]) - clean[i], 2);
                 after += std::pow(double(out[2 * i]) - clean[i], 2);
                 changed += out[2 * i + 1] != clean[i];
             }
             EXPECT_LT(10 * std::log10(after / before), -20.0);
             EXPECT_EQ(changed, 0u);
             // Fed in pieces across its blocks, the same.
             fx::CrackleKernel pieces;
             pieces.Prepare({kRate, 2, 2}, v.data());
             std::vector<float> padded(in), piecewise(in.size() + 2 * pieces.Latency());
             padded.resize(piecewise.size(), 0.0f);
             for (size_t at = 0; at < padded.size() / 2; at += 1000)
                 pieces.Process(padded.data() + 2 * at, piecewise.data() + 2 * at,
                                std::min<size_t>(1000, padded.size() / 2 - at));
             piecewise.erase(piecewise.begin(), piecewise.begin() + long(2 * pieces.Latency()));
             EXPECT_EQ(piecewise, out);
             // Bursts of 4 ms: no clicks at a longest click of 2 ms, clicks at 5 ms.
             const auto bursts = WithClicks(clean, 176);
             for (double longest : {2.0, 5.0}) {
                 fx::CrackleKernel b;
                 const auto w = fxkit::TableValues(fx::kCrackleParams, {{fx::kCrackleLongest, longest}});
                 const auto mended = KernelOutput(b, bursts, 1, 1, w.data());
                 EXPECT_EQ(b.ClicksFound(), longest < 4 ? 0u : 50u) << longest;
                 if (longest < 4) {
                     EXPECT_EQ(mended, bursts);
                 }
             }
         }},
    };
}

} // namespace

TEST(EffectKernelsII, SignalChecks)
{
    for (const auto& c : Checks()) {
        SCOPED_TRACE(c.name);
        c.run();
    }
}

// The program sizes its progress by the duration the effect's output pin answers: with a tail
// or a stretch, the output's, frame for frame what comes out.
TEST(EffectKernelsII, LengthChangingEffectsAnswerTheirOutputLengthToSeeking)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    constexpr size_t kFrames = 22051;
    for (const CLSID* clsid : {&CLSID_KvSEDely, &CLSID_KvSETime}) {
        const ModuleRow* row = RowOf(*clsid);
        ASSERT_TRUE(row);
        SCOPED_TRACE(row->dll);
        auto filter = CreateFilter(*row);
        ApplySettings(filter.Get(), *row);
        const auto values = ValuesOf(filter.Get());
        auto kernel = row->kernel();
        const uint64_t frames = uint64_t(std::llround(kFrames * kernel->LengthRatio(values.data()))) +
                                kernel->TailFrames(values.data(), kRate);
        ASSERT_NE(frames, kFrames);
        const auto w = Wave(false, 2);
        kvtest::TestGraph graph;
        ComRef<kvtest::TestPcmSource> source(
            kvtest::TestPcmSource::New(w.Format, ToBytes(Noise(kFrames, 2, 0.2, 3), false), 4410));
        ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
        ASSERT_EQ(graph.Add(source.Get(), L"source"), S_OK);
        ASSERT_EQ(graph.Add(filter.Get(), L"effect"), S_OK);
        ASSERT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
        ASSERT_EQ(graph.Connect(source.Get(), filter.Get()), S_OK);
        ASSERT_EQ(graph.Connect(filter.Get(), renderer.Get()), S_OK);
        ComRef<IPin> out(kvtest::FirstPin(filter.Get(), PINDIR_OUTPUT));
        auto seeking = Query<IMediaSeeking>(out.Get());
        ASSERT_TRUE(seeking);
        LONGLONG duration = 0, stop = 0, current = 0;
        ASSERT_EQ(seeking->GetDuration(&duration), S_OK);
        EXPECT_EQ(seeking->GetStopPosition(&stop), S_OK);
        const LONGLONG expected = LONGLONG(frames * 10000000ull / 44100);
        EXPECT_EQ(duration, expected);
        EXPECT_EQ(stop, expected);
        stop = 0;
        EXPECT_EQ(seeking->GetPositions(&current, &stop), S_OK);
        EXPECT_EQ(stop, expected);
        EXPECT_EQ(graph.RunToEnd(30000), EC_COMPLETE);
        graph.Stop();
        EXPECT_EQ(renderer->received.size(), frames * 4);
        graph.Graph()->RemoveFilter(filter.Get());
    }
    EXPECT_EQ(fxkit::TimeWithTail(0, 441, 44100), 100000);
    EXPECT_EQ(fxkit::TimeWithTail(-1, 441, 44100), -1);
    EXPECT_EQ(fxkit::TimeWithTail(10000000, 0, 44100, 2.0), 20000000);
    CoUninitialize();
}

// Operation 3 of the stretch and pitch settings: 1 before a preview, 0 before processing; the
// same length either way.
TEST(EffectKernelsII, StretchAndPitchSettingsTakePreviewAndBestQualityAtTheSameLength)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct Case {
        CLSID clsid;
        HRESULT (*set)(IUnknown*, int);
        size_t frames;
    };
    const Case cases[] = {
        {CLSID_KvSETime,
         [](IUnknown* f, int mode) {
             auto s = Query<ITimeStretchSettings>(f);
             return s ? s->SetPreviewMode(mode) : E_NOINTERFACE;
         },
         30000},
        {CLSID_KvSEPtch,
         [](IUnknown* f, int mode) {
             auto s = Query<IPitchShiftSettings>(f);
             return s ? s->SetPreviewMode(mode) : E_NOINTERFACE;
         },
         20000},
    };
    for (const Case& c : cases) {
        const ModuleRow* row = RowOf(c.clsid);
        ASSERT_TRUE(row);
        SCOPED_TRACE(row->dll);
        for (int mode : {1, 0}) {
            auto filter = CreateFilter(*row);
            ApplySettings(filter.Get(), *row);
            EXPECT_EQ(c.set(filter.Get(), mode), S_OK);
            HRESULT connect = E_FAIL;
            const auto out =
                RunGraph(filter.Get(), Wave(true, 1), ToBytes(Sine(440, 0.3, kRate, 20000, 1), true), 4410, &connect);
            EXPECT_EQ(connect, S_OK);
            EXPECT_EQ(out.size(), c.frames * 4) << mode;
        }
    }
    CoUninitialize();
}
// A long stream shortened runs its last frames past the input's end: the kernel must not
// forget more input than it holds there (it used to, and wrote outside its buffer).
TEST(EffectKernelsII, LongShortenedStreamsEndWithAtLeastTheirLength)
{
    for (double length : {25.0, 50.0}) {
        fx::TimeStretchKernel k;
        const auto v = fxkit::TableValues(fx::kTimeStretchParams, {{fx::kStretchLength, length}});
        k.Prepare({kRate, 2, 2}, v.data());
        constexpr size_t kFrames = 44100 * 10;
        const auto in = Noise(kFrames, 2, 0.3, 1);
        std::vector<float> out;
        size_t total = 0;
        for (size_t at = 0; at < kFrames; at += 4410) {
            k.Stretch(in.data() + at * 2, 4410, out);
            total += out.size() / 2;
            out.clear();
        }
        k.Finish(out);
        total += out.size() / 2;
        EXPECT_GE(total, size_t(kFrames * length / 100)) << length;
    }
}
