// The signal checks of each effect's kernel on short fixtures (1-2 s at 44.1 kHz), one table,
// with the kit's shared pieces (parameter clamping, biquad and Butterworth designs, the FFT).
#include "EffectModuleKit.h"

#include "Biquad.h"
#include "Fft.h"
#include "ParamSpec.h"

#include "GainKernel.h"

#include <complex>
#include <functional>

using namespace fxtest;

namespace {

constexpr double kRate = 44100;

struct Check {
    const char* name;
    std::function<void()> run;
};

// Values: defaults of a parameter table with some set.
template <size_t N>
std::vector<double> Values(const fxkit::ParamSpec (&table)[N], std::initializer_list<std::pair<int, double>> set)
{
    std::vector<double> v(fxkit::kMaxParams, 0.0);
    for (size_t i = 0; i < N; ++i)
        v[i] = table[i].defaultValue;
    for (const auto& s : set)
        v[size_t(s.first)] = s.second;
    return v;
}

std::vector<Check> Checks()
{
    return {
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
        {"Parameters clamp, round to their decimals and take NaN as the default",
         [] {
             const fxkit::ParamSpec p{L"x", L"dB", -60, 20, 0, 1, nullptr};
             EXPECT_EQ(fxkit::ClampParam(p, 25), 20);
             EXPECT_EQ(fxkit::ClampParam(p, -61), -60);
             EXPECT_NEAR(fxkit::ClampParam(p, 1.26), 1.3, 1e-12);
             EXPECT_EQ(fxkit::ClampParam(p, std::nan("")), 0);
             const wchar_t* const names[] = {L"a", L"b", L"c", nullptr};
             const fxkit::ParamSpec c{L"y", L"", 0, 0, 1, 0, names};
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
