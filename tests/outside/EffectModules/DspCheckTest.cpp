// The signal checks of each effect's kernel on short fixtures (1-2 s at 44.1 kHz), one table,
// with the kit's shared pieces (parameter clamping, biquad and Butterworth designs, the FFT).
#include "EffectModuleKit.h"

#include "Biquad.h"
#include "FastMath.h"
#include "Fft.h"
#include "FftWide.h"
#include "ParamInfo.h"

#include "DcOffsetKernel.h"
#include "FftEqKernel.h"
#include "FilterKernel.h"
#include "CompressorKernel.h"
#include "GainKernel.h"
#include "GraphicEq20Kernel.h"
#include "VocalRemoverKernel.h"
#include "LoFiKernel.h"
#include "ModulatorKernel.h"
#include "NoiseGateKernel.h"
#include "ParametricEqKernel.h"
#include "SmoothingKernel.h"
#include "MonoToStereoKernel.h"
#include "PeakNormalize.h"
#include "PhaseKernel.h"
#include "SampleConverter.h"
#include "StereoToMonoKernel.h"

#include <algorithm>
#include <complex>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

using namespace fxtest;

namespace {

constexpr double kRate = 44100;

struct Check {
    const char* name;
    std::function<void()> run;
};

template <size_t N>
std::vector<double> Values(const fxkit::ParamInfo (&table)[N], std::initializer_list<std::pair<int, double>> set)
{
    return fxkit::TableValues(table, set);
}

// Runs a two-pass kernel: the measuring pass, then the applying pass over the same input.
std::vector<float> TwoPass(fxkit::EffectKernel& k, const std::vector<float>& in, int channels, const double* values)
{
    k.Prepare({kRate, channels, channels}, values);
    k.BeginMeasure();
    k.Measure(in.data(), in.size() / size_t(channels));
    k.EndMeasure();
    std::vector<float> out(in.size());
    k.Process(in.data(), out.data(), in.size() / size_t(channels));
    return out;
}

double Mean(const std::vector<float>& v, int channels, int channel)
{
    double sum = 0;
    for (size_t i = size_t(channel); i < v.size(); i += size_t(channels))
        sum += v[i];
    return sum / double(v.size() / size_t(channels));
}

// Level in dB of a tone after the kernel (mono, 1.5 s, the last second measured).
double ToneGainDb(fxkit::EffectKernel& k, const std::vector<double>& values, double freq)
{
    const auto out = KernelOutput(k, Sine(freq, 0.25, kRate, 66150, 1), 1, 1, values.data());
    return Db(ToneAmplitude(out, 1, 0, freq, kRate, 22050, 44100) / 0.25);
}

std::vector<Check> Checks()
{
    return {
        {"20-band EQ: one band at +12 dB gives +12 dB at its centre in both modes",
         [] {
             // FIR mode resolves the half-octave bands from 283 Hz up.
             const std::pair<int, int> cases[] = {{0, 0}, {0, 6}, {0, 12}, {0, 19}, {1, 7}, {1, 12}, {1, 16}};
             for (const auto& c : cases) {
                 const auto v = Values(fx::kGraphicEq20Params, {{c.second, 12}, {fx::kGeq20Mode, c.first}});
                 fx::GraphicEq20Kernel k;
                 EXPECT_NEAR(ToneGainDb(k, v, fx::GraphicEq20Centre(c.second)), 12.0, 0.3)
                     << "band " << c.second << " mode " << c.first;
             }
             const auto flat = Values(fx::kGraphicEq20Params, {{fx::kGeq20Mode, 1}, {fx::kGeq20Master, -6}});
             fx::GraphicEq20Kernel k;
             const auto in = Noise(20000, 2, 0.5, 3);
             const auto out = KernelOutput(k, in, 2, 2, flat.data());
             for (size_t i = 0; i < in.size(); i += 7)
                 ASSERT_NEAR(out[i], in[i] * 0.501187, 1e-5) << i;
         }},
        {"Remove vocals: a centred 1 kHz tone goes down 30 dB or more, a left-only 300 Hz tone stays",
         [] {
             const auto v = Values(fx::kVocalRemoverParams, {});
             auto in = Sine(1000, 0.3, kRate, 66150, 2);
             const auto left = Sine(300, 0.3, kRate, 66150, 1);
             for (size_t i = 0; i < left.size(); ++i)
                 in[2 * i] += left[i];
             fx::VocalRemoverKernel k;
             const auto out = KernelOutput(k, in, 2, 2, v.data());
             for (int c = 0; c < 2; ++c)
                 EXPECT_LT(Db(ToneAmplitude(out, 2, c, 1000, kRate, 22050, 44100) / 0.3), -30.0) << c;
             EXPECT_NEAR(Db(ToneAmplitude(out, 2, 0, 300, kRate, 22050, 44100) / 0.3), 0.0, 1.0);
         }},
        {"Remove vocals: the eight-wide paths give the four-wide ones' output bit for bit, the band's edges and "
         "the middle bin included",
         [] {
             if (!fxkit::wide::Enabled())
                 return;
             // A centred part and noise apart; at 22.05 kHz the widest band reaches bin size / 2.
             auto in = Noise(30000, 2, 0.3, 9);
             const auto centre = Noise(30000, 1, 0.5, 10);
             for (size_t i = 0; i < centre.size(); ++i)
                 in[2 * i] += centre[i], in[2 * i + 1] += centre[i];
             const std::pair<double, std::vector<double>> cases[] = {
                 {44100, Values(fx::kVocalRemoverParams, {})},
                 {22050, Values(fx::kVocalRemoverParams, {{fx::kVocLow, 50}, {fx::kVocHigh, 20000}, {fx::kVocStrength, 60}})},
                 {48000, Values(fx::kVocalRemoverParams, {{fx::kVocLow, 3000}, {fx::kVocHigh, 3100}})},
             };
             for (const auto& c : cases) {
                 std::vector<float> out[2];
                 for (int wide = 0; wide < 2; ++wide) {
                     fxkit::wide::Enable(wide == 1);
                     fx::VocalRemoverKernel k;
                     out[wide] = KernelOutput(k, in, 2, 2, c.second.data(), c.first);
                 }
                 fxkit::wide::Enable(true);
                 ASSERT_EQ(out[0].size(), out[1].size());
                 EXPECT_EQ(0, std::memcmp(out[0].data(), out[1].data(), out[0].size() * sizeof(float))) << c.first;
             }
         }},
        {"Compressor: a -10 dBFS tone over a -20 dB threshold at 4:1 comes out at -17.5 dB",
         [] {
             fx::CompressorKernel k;
             const auto v = Values(fx::kCompressorParams, {{fx::kCmpThreshold, -20}, {fx::kCmpRatio, 4}});
             const double a = fxkit::DbToGain(-10);
             const auto out = KernelOutput(k, Sine(1000, a, kRate, 66150, 2), 2, 2, v.data());
             for (int c = 0; c < 2; ++c)
                 EXPECT_NEAR(Db(ToneAmplitude(out, 2, c, 1000, kRate, 22050, 44100)), -17.5, 0.2) << c;
         }},
        {"Compressor: the static curve bends softly inside the knee and the limiter holds the threshold",
         [] {
             const auto v =
                 Values(fx::kCompressorParams, {{fx::kCmpThreshold, -20}, {fx::kCmpRatio, 4}, {fx::kCmpKnee, 6}});
             const auto curve = fx::CurveOf(v.data());
             EXPECT_DOUBLE_EQ(curve.GainDb(-30), 0.0);
             EXPECT_DOUBLE_EQ(curve.GainDb(-23), 0.0);
             EXPECT_NEAR(curve.GainDb(-20), -0.75 * 3 * 3 / 12, 1e-12);
             EXPECT_NEAR(curve.GainDb(-10), -7.5, 1e-12);
             const auto l =
                 Values(fx::kCompressorParams,
                        {{fx::kCmpThreshold, -6}, {fx::kCmpLimiter, 1}, {fx::kCmpKnee, 0}, {fx::kCmpMakeup, 2}});
             EXPECT_NEAR(-3 + fx::CurveOf(l.data()).GainDb(-3), -6 + 2, 1e-12);
         }},
        {"Noise gate: -20 dB bursts pass within 0.1 dB and the gaps go down by the range",
         [] {
             const size_t burst = 11025, gap = 22050;
             std::vector<float> in;
             const auto noise = Noise(gap, 1, fxkit::DbToGain(-70), 5);
             for (int cycle = 0; cycle < 2; ++cycle) {
                 const auto tone = Sine(1000, 0.1, kRate, burst, 1);
                 in.insert(in.end(), tone.begin(), tone.end());
                 in.insert(in.end(), noise.begin(), noise.end());
             }
             fx::NoiseGateKernel k;
             const auto v = Values(fx::kNoiseGateParams, {{fx::kGateThreshold, -40},
                                                          {fx::kGateRange, -40},
                                                          {fx::kGateAttack, 1},
                                                          {fx::kGateHold, 50},
                                                          {fx::kGateRelease, 10}});
             const auto out = KernelOutput(k, in, 1, 1, v.data());
             const size_t second = burst + gap;
             EXPECT_NEAR(Db(ToneAmplitude(out, 1, 0, 1000, kRate, second + 2205, 6615) / 0.1), 0.0, 0.1);
             double inPower = 0, outPower = 0;
             for (size_t i = second + burst + 15435; i < 2 * second; ++i) {
                 inPower += double(in[i]) * in[i];
                 outPower += double(out[i]) * out[i];
             }
             EXPECT_NEAR(10 * std::log10(outPower / inPower), -40.0, 0.5);
         }},
        {"Modulator: tremolo at 50 % moves the level between 0.5 and 1.0",
         [] {
             fx::ModulatorKernel k;
             const auto v = Values(fx::kModulatorParams, {{fx::kModKind, 0}, {fx::kModRate, 5}, {fx::kModDepth, 50}});
             const auto out = KernelOutput(k, std::vector<float>(88200, 0.5f), 1, 1, v.data());
             const auto [lo, hi] = std::minmax_element(out.begin(), out.end());
             EXPECT_NEAR(*lo / 0.5, 0.5, 0.005);
             EXPECT_NEAR(*hi / 0.5, 1.0, 0.01);
         }},
        {"Modulator: the sine oscillator stays on its phase across its resynchronisations",
         [] {
             fx::ModulatorKernel k;
             const auto v =
                 Values(fx::kModulatorParams, {{fx::kModKind, 0}, {fx::kModRate, 7.3}, {fx::kModDepth, 100}});
             const size_t frames = 88200;
             const auto out = KernelOutput(k, std::vector<float>(frames, 1.0f), 1, 1, v.data());
             const size_t latency = size_t(std::lround(0.005 * kRate));
             for (size_t i = frames - 5000; i < frames; i += 37) {
                 const double phase = 7.3 * double(i + latency) / kRate;
                 const double expected = 1.0 - (1.0 - std::sin(2 * 3.14159265358979323846 * phase)) / 2.0;
                 ASSERT_NEAR(out[i], expected, 1e-5) << i;
             }
         }},
        {"Modulator: full ring modulation leaves nothing of the input tone; vibrato of no depth is the input",
         [] {
             fx::ModulatorKernel ring;
             const auto r =
                 Values(fx::kModulatorParams, {{fx::kModKind, 1}, {fx::kModRate, 440}, {fx::kModDepth, 100}});
             const auto out = KernelOutput(ring, Sine(1000, 0.5, kRate, 66150, 1), 1, 1, r.data());
             EXPECT_LT(Db(ToneAmplitude(out, 1, 0, 1000, kRate, 22050, 44100) / 0.5), -60.0);
             EXPECT_NEAR(Db(ToneAmplitude(out, 1, 0, 1440, kRate, 22050, 44100) / 0.25), 0.0, 0.1);
             fx::ModulatorKernel vibrato;
             const auto d = Values(fx::kModulatorParams, {{fx::kModKind, 2}, {fx::kModDepth, 0}});
             const auto in = Noise(5000, 2, 0.5, 8);
             EXPECT_EQ(KernelOutput(vibrato, in, 2, 2, d.data()), in);
         }},
        {"Lo-Fi at 4 bits gives at most 16 levels",
         [] {
             fx::LoFiKernel k;
             const auto v =
                 Values(fx::kLoFiParams, {{fx::kLoFiBits, 4}, {fx::kLoFiHold, 192000}, {fx::kLoFiBand, 20000}});
             const auto out = KernelOutput(k, Noise(44100, 2, 1.0, 6), 2, 2, v.data());
             std::vector<float> levels(out);
             std::sort(levels.begin(), levels.end());
             levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
             EXPECT_LE(levels.size(), 16u);
             EXPECT_GE(levels.size(), 15u);
         }},
        {"Lo-Fi holds each sample for rate / hold rate frames",
         [] {
             fx::LoFiKernel k;
             const auto v =
                 Values(fx::kLoFiParams, {{fx::kLoFiBits, 16}, {fx::kLoFiHold, 11025}, {fx::kLoFiBand, 20000}});
             const auto in = Noise(400, 1, 0.5, 12);
             const auto out = KernelOutput(k, in, 1, 1, v.data());
             for (size_t i = 0; i < 400; ++i)
                 ASSERT_NEAR(out[i], in[i - i % 4], 1.0 / 32768) << i;
         }},
        {"Filter: Butterworth low pass order 4 at 1 kHz is -3.0 dB there and -24 dB at 2 kHz",
         [] {
             const auto v = Values(fx::kFilterParams, {{fx::kFltType, 0}, {fx::kFltLow, 1000}, {fx::kFltOrder, 4}});
             fx::FilterKernel a, b, c;
             EXPECT_NEAR(ToneGainDb(a, v, 1000), -3.0, 0.1);
             EXPECT_NEAR(ToneGainDb(b, v, 2000), -24.0, 0.5);
             EXPECT_NEAR(ToneGainDb(c, v, 100), 0.0, 0.05);
         }},
        {"Filter: band pass and band stop keep their band apart",
         [] {
             const auto bp = Values(fx::kFilterParams, {{fx::kFltType, 2}, {fx::kFltLow, 300}, {fx::kFltHigh, 3400}});
             fx::FilterKernel a, b, c;
             EXPECT_NEAR(ToneGainDb(a, bp, 1000), 0.0, 0.2);
             EXPECT_LT(ToneGainDb(b, bp, 60), -30.0);
             const auto bs = Values(fx::kFilterParams, {{fx::kFltType, 3}, {fx::kFltLow, 300}, {fx::kFltHigh, 3400}});
             EXPECT_LT(ToneGainDb(c, bs, 1000), -20.0);
         }},
        {"FFT EQ: -20 dB at 2-4 kHz gives -20 dB at 3 kHz, 500 Hz untouched and no lag; 1 kHz is analysed "
         "in its bin",
         [] {
             const auto v = Values(fx::kFftEqParams, {{fx::kFeqPointCount, 4},
                                                      {fx::kFeqFirstPoint, 1900},
                                                      {fx::kFeqFirstPoint + 2, 2000},
                                                      {fx::kFeqFirstPoint + 3, -20},
                                                      {fx::kFeqFirstPoint + 4, 4000},
                                                      {fx::kFeqFirstPoint + 5, -20},
                                                      {fx::kFeqFirstPoint + 6, 4200}});
             fx::FftEqKernel k;
             EXPECT_NEAR(ToneGainDb(k, v, 3000), -20.0, 0.5);
             EXPECT_NEAR(ToneGainDb(k, v, 500), 0.0, 0.1);
             std::vector<float> click(44100, 0.0f);
             click[1000] = 1.0f;
             const auto out = KernelOutput(k, click, 1, 1, v.data());
             const auto peak =
                 std::max_element(out.begin(), out.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); });
             EXPECT_EQ(peak - out.begin(), 1000);
             // No points: unity, exactly but for the float rounding of the transforms.
             const auto flat = Values(fx::kFftEqParams, {{fx::kFeqPointCount, 0}});
             const auto noise = Noise(20000, 2, 0.5, 9);
             const auto same = KernelOutput(k, noise, 2, 2, flat.data());
             for (size_t i = 0; i < noise.size(); i += 7)
                 ASSERT_NEAR(same[i], noise[i], 1e-5) << i;
             const size_t bin = size_t(std::lround(1000.0 * 4096 / kRate));
             for (int window = 0; window < 6; ++window) {
                 fx::SpectrumAverager a;
                 a.Configure(4096, 2048, window, 2, 1);
                 auto in = Sine(1000, 0.5, kRate, 88200, 2);
                 for (size_t i = 0; i < in.size(); i += 2)
                     in[i] = 0.9f * float(std::sin(0.37 * double(i))); // another tone on the other channel
                 a.Add(in.data(), 88200);
                 const auto levels = a.Finish();
                 ASSERT_EQ(levels.size(), 2049u);
                 const auto top = std::max_element(levels.begin(), levels.end());
                 EXPECT_EQ(size_t(top - levels.begin()), bin) << window;
                 EXPECT_NEAR(*top, Db(0.5), 1.5) << window; // within the window's scalloping
                 EXPECT_TRUE(a.Finish().empty()) << "a finished analysis starts again";
             }
         }},
        {"Parametric EQ: 1 kHz +12 dB Q 1 gives +12.0 dB at 1 kHz and nothing at 50 Hz",
         [] {
             auto v = Values(fx::kParametricEqParams, {{8, 1}, {9, 1000}, {10, 12}, {11, 1}});
             fx::ParametricEqKernel a, b;
             EXPECT_NEAR(ToneGainDb(a, v, 1000), 12.0, 0.1);
             EXPECT_NEAR(ToneGainDb(b, v, 50), 0.0, 0.1);
         }},
        {"Smoothing follows the boxcar formula and passes DC exactly",
         [] {
             for (int index : {0, 3, 10})
                 for (int passes : {1, 2, 4}) {
                     const auto v = Values(fx::kSmoothingParams, {{fx::kAvgWidth, index}, {fx::kAvgPasses, passes}});
                     const int w = fx::SmoothingWidth(index);
                     for (double f : {300.0, 1500.0}) {
                         const double expected = Db(fx::SmoothingResponse(w, passes, f, kRate));
                         if (expected < -40)
                             continue;
                         fx::SmoothingKernel k;
                         EXPECT_NEAR(ToneGainDb(k, v, f), expected, 0.05) << w << " x" << passes << " at " << f;
                     }
                     fx::SmoothingKernel k;
                     const auto out = KernelOutput(k, std::vector<float>(4000, 0.3f), 1, 1, v.data());
                     for (size_t i = 500; i < 3000; ++i)
                         ASSERT_EQ(out[i], 0.3f) << i;
                 }
         }},
        {"DC offset removal leaves a residual of at most 1e-5 of full scale",
         [] {
             fx::DcOffsetKernel k;
             auto in = Noise(44100, 2, 0.3, 4);
             for (size_t i = 0; i < in.size(); ++i)
                 in[i] += i % 2 ? -0.05f : 0.125f;
             const auto v = Values(fx::kDcParams, {});
             const auto out = TwoPass(k, in, 2, v.data());
             for (int c = 0; c < 2; ++c)
                 EXPECT_LE(std::fabs(Mean(out, 2, c)), 1e-5) << c;
         }},
        {"DC offset +100 at 16 bits adds exactly 100 steps; 8 and 32 bits scale their own steps",
         [] {
             struct Case {
                 int depth;
                 double value, expected;
             } cases[] = {{1, 100, 100.0 / 32768}, {0, -3, -3.0 / 128}, {2, 2500, 0.25}};
             for (const auto& c : cases) {
                 fx::DcOffsetKernel k;
                 const auto v =
                     Values(fx::kDcParams, {{fx::kDcMode, 1}, {fx::kDcValue, c.value}, {fx::kDcDepth, c.depth}});
                 const auto out = KernelOutput(k, std::vector<float>(1000, 0.0f), 1, 1, v.data());
                 EXPECT_FLOAT_EQ(out[500], float(c.expected)) << c.depth;
             }
             fx::DcOffsetKernel k;
             const auto v = Values(fx::kDcParams, {{fx::kDcMode, 1}, {fx::kDcValue, 100}, {fx::kDcDepth, 1}});
             const auto out = KernelOutput(k, std::vector<float>(10, 0.0f), 1, 1, v.data());
             EXPECT_EQ(SampleConverter::FloatToSample(out[0], 16), 100);
         }},
        {"Normalize to -1 dBFS puts the common peak at -1.00 dB; silence stays silent",
         [] {
             fxkit::PeakNormalizeKernel k(false);
             auto in = Sine(440, 0.3, kRate, 44100, 2);
             for (size_t i = 1; i < in.size(); i += 2)
                 in[i] *= 0.5f;
             const double v[] = {-1};
             const auto out = TwoPass(k, in, 2, v);
             EXPECT_NEAR(Db(Peak(out, 2, 0)), -1.0, 0.01);
             EXPECT_NEAR(Db(Peak(out, 2, 1)), -1.0 - 6.02, 0.02); // one gain for both
             fxkit::PeakNormalizeKernel quiet(false);
             const auto silent = TwoPass(quiet, std::vector<float>(2000, 0.0f), 2, v);
             EXPECT_EQ(Peak(silent, 2, 0), 0.0);
         }},
        {"Channel normalize brings -6 and -12 dBFS channels both to -1.00 dBFS",
         [] {
             fxkit::PeakNormalizeKernel k(true);
             auto in = Sine(440, fxkit::DbToGain(-6), kRate, 44100, 2);
             for (size_t i = 1; i < in.size(); i += 2)
                 in[i] *= float(fxkit::DbToGain(-6));
             const double v[] = {-1};
             const auto out = TwoPass(k, in, 2, v);
             EXPECT_NEAR(Db(Peak(out, 2, 0)), -1.0, 0.01);
             EXPECT_NEAR(Db(Peak(out, 2, 1)), -1.0, 0.01);
         }},
        {"Unmeasured two-pass kernels are unity",
         [] {
             const auto in = Noise(1000, 2, 0.5, 9);
             fxkit::PeakNormalizeKernel n(false);
             const double target[] = {-1};
             EXPECT_EQ(KernelOutput(n, in, 2, 2, target), in);
             fx::DcOffsetKernel dc;
             const auto v = Values(fx::kDcParams, {});
             EXPECT_EQ(KernelOutput(dc, in, 2, 2, v.data()), in);
         }},
        {"Reverse phase is exact and full-scale negative becomes the largest positive sample",
         [] {
             fx::PhaseKernel k;
             const auto v = Values(fx::kPhaseParams, {{1, 0}});
             const std::vector<float> in = {-1.0f, -1.0f, 0.25f, 0.25f, 0.123f, -0.5f};
             const auto out = KernelOutput(k, in, 2, 2, v.data());
             const std::vector<float> expected = {1.0f, -1.0f, -0.25f, 0.25f, -0.123f, -0.5f};
             EXPECT_EQ(out, expected);
             EXPECT_EQ(SampleConverter::FloatToSample(out[0], 16), 32767);
         }},
        {"Stereo to mono gives the input back for equal channels, whatever the method",
         [] {
             const auto mono = Noise(5000, 1, 0.7, 11);
             std::vector<float> stereo;
             for (float x : mono)
                 stereo.insert(stereo.end(), {x, x});
             for (int method = 0; method < 4; ++method) {
                 fx::StereoToMonoKernel k;
                 const auto v = Values(fx::kStereoToMonoParams, {{fx::kS2mMethod, method}, {fx::kS2mBalance, 30}});
                 const auto out = KernelOutput(k, stereo, 2, 1, v.data());
                 for (size_t i = 0; i < mono.size(); ++i)
                     ASSERT_NEAR(out[i], mono[i], 1e-7) << method;
             }
         }},
        {"Mono to stereo copies exactly, pans at constant power, and its wide form sums back",
         [] {
             const auto mono = Sine(1000, 0.5, kRate, 44100, 1);
             fx::MonoToStereoKernel copy;
             const auto c = Values(fx::kMonoToStereoParams, {});
             const auto out = KernelOutput(copy, mono, 1, 2, c.data());
             for (size_t i = 0; i < mono.size(); ++i)
                 ASSERT_TRUE(out[2 * i] == mono[i] && out[2 * i + 1] == mono[i]) << i;
             fx::MonoToStereoKernel pan;
             const auto p = Values(fx::kMonoToStereoParams, {{fx::kM2sMethod, 1}});
             const auto centre = KernelOutput(pan, mono, 1, 2, p.data());
             EXPECT_NEAR(Db(Peak(centre, 2, 0) / 0.5), -3.01, 0.02);
             EXPECT_NEAR(Db(Peak(centre, 2, 1) / 0.5), -3.01, 0.02);
             fx::MonoToStereoKernel wide;
             const auto w = Values(fx::kMonoToStereoParams, {{fx::kM2sMethod, 2}, {fx::kM2sWidth, 100}});
             const auto both = KernelOutput(wide, mono, 1, 2, w.data());
             std::vector<float> sum(mono.size());
             for (size_t i = 0; i < mono.size(); ++i)
                 sum[i] = (both[2 * i] + both[2 * i + 1]) / 2;
             EXPECT_NEAR(Db(ToneAmplitude(sum, 1, 0, 1000, kRate, 4410, 39690) / 0.5), 0.0, 0.5);
             EXPECT_GT(std::fabs(Db(ToneAmplitude(both, 2, 0, 1000, kRate, 4410, 39690) /
                                    ToneAmplitude(both, 2, 1, 1000, kRate, 4410, 39690))),
                       1.0); // the channels differ: the combs are complementary
         }},
        {"Gain +6 dB multiplies by 1.995",
         [] {
             fx::GainKernel k;
             const auto v = Values(fx::kGainParams, {{0, 6}, {1, 6}});
             const auto out = KernelOutput(k, Sine(1000, 0.25, kRate, 44100, 2), 2, 2, v.data());
             for (int c = 0; c < 2; ++c)
                 EXPECT_NEAR(Peak(out, 2, c) / 0.25, 1.995, 0.01);
         }},
        {"Gain ramps a change over 10 ms without a step",
         [] {
             fx::GainKernel k;
             auto v = Values(fx::kGainParams, {});
             k.Prepare({kRate, 1, 1}, v.data());
             v[0] = 20;
             k.Update(v.data());
             std::vector<float> in(1000, 0.01f), out(1000);
             k.Process(in.data(), out.data(), 1000);
             for (size_t i = 1; i < 441; ++i)
                 EXPECT_LT(out[i] - out[i - 1], 0.0003f) << i;
             EXPECT_NEAR(out[999], 0.1, 1e-6);
         }},
        {"Gain gives every sample its own channel's product, stopped at the largest float, for any length",
         [] {
             // Odd and even lengths reach the step that takes two frames at once and its tail;
             // the fixture's edges: a NaN passes, infinities and huge products stop at the top.
             const float top = std::numeric_limits<float>::max();
             const float edges[] = {0.5f, -0.25f, std::numeric_limits<float>::quiet_NaN(), top, -top,
                                    std::numeric_limits<float>::infinity(), -0.0f, 1e-40f, 3e38f, -2e38f};
             for (int channels : {1, 2, 3})
                 for (size_t frames : {size_t(1), size_t(2), size_t(5), size_t(8), size_t(13)}) {
                     fx::GainKernel k;
                     // +6 dB on the first channel, -12 dB on the second, 0 dB on the third.
                     const auto v = Values(fx::kGainParams, {{0, 6}, {1, -12}});
                     k.Prepare({kRate, channels, channels}, v.data());
                     std::vector<float> in(frames * size_t(channels)), out(in.size());
                     for (size_t i = 0; i < in.size(); ++i)
                         in[i] = edges[(i * 7 + size_t(channels)) % 10];
                     k.Process(in.data(), out.data(), frames);
                     for (size_t i = 0; i < in.size(); ++i) {
                         const double gain = std::pow(10.0, v[i % size_t(channels)] / 20.0);
                         const double want = std::clamp(double(in[i]) * gain, -double(top), double(top));
                         const std::string where = std::to_string(channels) + " channels, frames " +
                                                   std::to_string(frames) + ", sample " + std::to_string(i);
                         if (std::isnan(in[i]))
                             EXPECT_TRUE(std::isnan(out[i])) << where;
                         else
                             EXPECT_NEAR(out[i], want, std::fabs(want) * 1e-6 + 1e-45) << where;
                     }
                 }
         }},
        {"Butterworth low pass order 4 at 1 kHz: -3 dB at 1 kHz, -24 dB at 2 kHz",
         [] {
             fxkit::BiquadCascade lp;
             lp.Configure(fxkit::Butterworth(fxkit::FilterKind::LowPass, 4, 1000, kRate), 1);
             EXPECT_NEAR(Db(lp.MagnitudeAt(1000, kRate)), -3.01, 0.1);
             EXPECT_NEAR(Db(lp.MagnitudeAt(2000, kRate)), -24.1, 0.5);
             EXPECT_NEAR(Db(lp.MagnitudeAt(100, kRate)), 0.0, 0.01);
         }},
        {"Odd Butterworth orders and high pass keep -3 dB at the cutoff",
         [] {
             for (int order : {1, 3, 5, 8}) {
                 fxkit::BiquadCascade hp;
                 hp.Configure(fxkit::Butterworth(fxkit::FilterKind::HighPass, order, 500, kRate), 1);
                 EXPECT_NEAR(Db(hp.MagnitudeAt(500, kRate)), -3.01, 0.1) << order;
                 EXPECT_NEAR(Db(hp.MagnitudeAt(15000, kRate)), 0.0, 0.05) << order;
             }
         }},
        {"Cookbook peak +12 dB Q 1 at 1 kHz",
         [] {
             const auto c = fxkit::DesignBiquad(fxkit::FilterKind::Peak, 1000, 1, 12, kRate);
             EXPECT_NEAR(Db(c.MagnitudeAt(1000, kRate)), 12.0, 0.05);
             EXPECT_NEAR(Db(c.MagnitudeAt(50, kRate)), 0.0, 0.1);
         }},
        {"Cascade over a block matches its response",
         [] {
             fxkit::BiquadCascade lp;
             lp.Configure(fxkit::Butterworth(fxkit::FilterKind::LowPass, 4, 1000, kRate), 2);
             auto s = Sine(2000, 0.5, kRate, 44100, 2);
             lp.ProcessInPlace(s.data(), 44100);
             EXPECT_NEAR(Db(ToneAmplitude(s, 2, 1, 2000, kRate, 22050, 22050) / 0.5), Db(lp.MagnitudeAt(2000, kRate)),
                         0.05);
         }},
        {"FFT of a bin-centred tone has one line and the inverse gives it back",
         [] {
             fxkit::Fft fft(1024);
             std::vector<std::complex<double>> x(1024);
             for (size_t i = 0; i < 1024; ++i)
                 x[i] = std::cos(2 * 3.14159265358979 * 37 * double(i) / 1024);
             auto y = x;
             fft.Forward(y.data());
             EXPECT_NEAR(std::abs(y[37]), 512, 1e-6);
             EXPECT_NEAR(std::abs(y[38]), 0, 1e-6);
             fft.Inverse(y.data());
             for (size_t i = 0; i < 1024; i += 17)
                 EXPECT_NEAR(y[i].real(), x[i].real(), 1e-9);
         }},
        {"Fast base-2 logarithm and power agree with the library to a millionth",
         [] {
             for (double x : {1e-6, 0.001, 0.3, 0.5, 0.999, 1.0, 1.5, 7.0, 1234.5}) {
                 EXPECT_NEAR(fxkit::FastLog2(x), std::log2(x), 1e-6) << x;
                 const double y = std::log2(x);
                 EXPECT_NEAR(fxkit::FastExp2(y) / x, 1.0, 1e-6) << y;
             }
             EXPECT_NEAR(fxkit::FastExp2(-3.25) / std::exp2(-3.25), 1.0, 1e-6);
         }},
        {"Fast atan2 stays within 2e-8 rad of the library's at every angle, size and signed zero",
         [] {
             double worst = 0;
             for (double radius : {1e-30, 1e-3, 1.0, 7.5e5, 1e30})
                 for (int i = -100000; i <= 100000; ++i) {
                     const double angle = 3.14159265358979323846 * i / 100000.0;
                     const double y = radius * std::sin(angle), x = radius * std::cos(angle);
                     worst = std::max(worst, std::fabs(fxkit::FastAtan2(y, x) - std::atan2(y, x)));
                 }
             EXPECT_LT(worst, 2e-8);
             for (double y : {0.0, -0.0, 1.0, -1.0})
                 for (double x : {0.0, -0.0, 2.0, -2.0})
                     EXPECT_NEAR(fxkit::FastAtan2(y, x), std::atan2(y, x), 2e-8) << y << ", " << x;
             // Four at a time in float: within 1e-6 rad of the angle of the floats.
             worst = 0;
             for (float radius : {1e-30f, 1.0f, 3e30f})
                 for (int i = -100000; i <= 100000; i += 4) {
                     float ys[4], xs[4], got[4];
                     for (int j = 0; j < 4; ++j) {
                         const double angle = 3.14159265358979323846 * (i + j) / 100000.0;
                         ys[j] = float(radius * std::sin(angle));
                         xs[j] = float(radius * std::cos(angle));
                     }
                     _mm_storeu_ps(got, fxkit::FastAtan2(_mm_loadu_ps(ys), _mm_loadu_ps(xs)));
                     for (int j = 0; j < 4; ++j)
                         worst = std::max(worst, std::fabs(got[j] - std::atan2(double(ys[j]), double(xs[j]))));
                 }
             EXPECT_LT(worst, 1e-6);
             const float ys[4] = {0.0f, -0.0f, 0.0f, -0.0f}, xs[4] = {0.0f, 0.0f, -0.0f, -0.0f};
             float got[4];
             _mm_storeu_ps(got, fxkit::FastAtan2(_mm_loadu_ps(ys), _mm_loadu_ps(xs)));
             for (int j = 0; j < 4; ++j)
                 EXPECT_NEAR(got[j], std::atan2(ys[j], xs[j]), 1e-6) << ys[j] << ", " << xs[j];
         }},
        {"Parameters clamp, round to their decimals and take NaN as the default",
         [] {
             const fxkit::ParamInfo p{L"x", L"dB", -60, 20, 0, 1, nullptr};
             EXPECT_EQ(fxkit::ClampParam(p, 25), 20);
             EXPECT_EQ(fxkit::ClampParam(p, -61), -60);
             EXPECT_NEAR(fxkit::ClampParam(p, 1.26), 1.3, 1e-12);
             EXPECT_EQ(fxkit::ClampParam(p, std::nan("")), 0);
             const wchar_t* const names[] = {L"a", L"b", L"c", nullptr};
             const fxkit::ParamInfo c{L"y", L"", 0, 0, 1, 0, names};
             EXPECT_EQ(fxkit::ClampParam(c, 7), 2);
             EXPECT_EQ(fxkit::ClampParam(c, 0.6), 1);
         }},
    };
}

} // namespace

TEST(EffectKernels, SignalChecks)
{
    for (const auto& c : Checks()) {
        SCOPED_TRACE(c.name);
        c.run();
    }
}
