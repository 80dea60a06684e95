// The kit's FFT against the transform's definition: every stage layout (pairs of stages with or
// without the radix-2 one, the small sizes' plain loop, the split transform's depth-first pass
// over large sizes), in double and float, and the real path.
#include "Fft.h"
#include "FftWide.h"
#include "StftStream.h"
#include "StockhamFft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using Complex = std::complex<double>;

std::vector<Complex> Noise(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<Complex> x(n);
    for (auto& v : x)
        v = {u(rng), u(rng)};
    return x;
}

TEST(KitFft, ForwardIsTheDirectTransformInBinOrderAndInverseUndoesIt)
{
    for (size_t n : {2, 4, 8, 16, 32, 64, 128, 512, 2048, 4096}) {
        const auto x = Noise(n, unsigned(n));
        std::vector<Complex> w(n);
        for (size_t j = 0; j < n; ++j)
            w[j] = std::polar(1.0, -2 * 3.14159265358979323846 * double(j) / double(n));
        auto y = x;
        fxkit::Fft fft(n);
        fft.Forward(y.data());
        double worst = 0;
        for (size_t k = 0; k < n; ++k) {
            Complex direct = 0;
            for (size_t t = 0; t < n; ++t)
                direct += x[t] * w[k * t % n];
            worst = std::max(worst, std::abs(y[k] - direct));
        }
        EXPECT_LT(worst, 1e-12 * double(n)) << n;
        fft.Inverse(y.data());
        worst = 0;
        for (size_t t = 0; t < n; ++t)
            worst = std::max(worst, std::abs(y[t] - x[t]));
        EXPECT_LT(worst, 1e-14 * double(n)) << n;
    }
}

// Split spectra in the transform's own order, multiplied bin by bin and taken back, are the
// circular convolution (a few taps: the direct sum stays cheap at large sizes); so is the
// convolution done in one call.
TEST(KitFft, SplitSpectraMultiplyAsCircularConvolution)
{
    for (size_t n : {2, 4, 8, 16, 32, 64, 1024, 8192, 16384, 32768}) {
        const auto x = Noise(n, unsigned(n) + 1);
        std::vector<std::pair<size_t, double>> taps = {{0, 0.5}, {1, -0.25}, {n / 2, 0.125}, {n - 1, 1.0}};
        std::vector<double> xr(n), xi(n), hr(n, 0.0), hi(n, 0.0);
        for (size_t i = 0; i < n; ++i) {
            xr[i] = x[i].real();
            xi[i] = x[i].imag();
        }
        for (const auto& tap : taps)
            hr[tap.first] += tap.second;
        fxkit::Fft fft(n);
        fft.ForwardSplit(hr.data(), hi.data());
        auto cr = xr, ci = xi;
        fft.ConvolveSplit(cr.data(), ci.data(), hr.data(), hi.data());
        fft.ForwardSplit(xr.data(), xi.data());
        for (size_t k = 0; k < n; ++k) {
            const Complex p = Complex(xr[k], xi[k]) * Complex(hr[k], hi[k]) / double(n);
            xr[k] = p.real();
            xi[k] = p.imag();
        }
        fft.InverseSplit(xr.data(), xi.data());
        std::vector<Complex> direct(n, 0.0);
        for (const auto& tap : taps)
            for (size_t t = 0; t < n; ++t)
                direct[(t + tap.first) % n] += x[t] * tap.second;
        double worst = 0, worstInOneCall = 0;
        for (size_t t = 0; t < n; ++t) {
            worst = std::max(worst, std::abs(Complex(xr[t], xi[t]) - direct[t]));
            worstInOneCall = std::max(worstInOneCall, std::abs(Complex(cr[t], ci[t]) / double(n) - direct[t]));
        }
        EXPECT_LT(worst, 1e-13) << n;
        EXPECT_LT(worstInOneCall, 1e-13) << n;
    }
}

// Float: the same transform within single precision, at sizes on both sides of the
// depth-first pass.
TEST(KitFft, FloatTransformFollowsTheDoubleOne)
{
    for (size_t n : {16, 32, 64, 256, 2048, 4096, 16384}) {
        const auto x = Noise(n, unsigned(n) + 7);
        std::vector<float> re(n), im(n);
        for (size_t t = 0; t < n; ++t) {
            re[t] = float(x[t].real());
            im[t] = float(x[t].imag());
        }
        auto y = x;
        fxkit::Fft(n).Forward(y.data());
        fxkit::FloatFft fft(n);
        fft.ForwardSplit(re.data(), im.data());
        double worst = 0;
        for (size_t p = 0; p < n; ++p)
            worst = std::max(worst, std::abs(Complex(re[p], im[p]) - y[fft.BinAt(p)]));
        EXPECT_LT(worst, 1e-6 * std::sqrt(double(n)) * std::log2(double(n))) << n;
        fft.InverseSplit(re.data(), im.data());
        worst = 0;
        for (size_t t = 0; t < n; ++t)
            worst = std::max(worst, std::abs(Complex(re[t], im[t]) / double(n) - x[t]));
        EXPECT_LT(worst, 1e-6) << n;
    }
}

// The eight-wide passes (where the processor has them) give the four-wide ones' results bit for
// bit, forward, back and convolving, radix-2 pass or not, the depth-first pass included.
TEST(KitFft, WidePassesEqualTheFourWideOnesBitForBit)
{
    if (!fxkit::wide::Enabled())
        GTEST_SKIP() << "no AVX here";
    const auto run = [](bool wide, size_t n, const std::vector<float>& re0, const std::vector<float>& im0) {
        fxkit::wide::Enable(wide);
        fxkit::FloatFft fft(n);
        std::vector<float> re = re0, im = im0, kr = im0, ki = re0;
        fft.ForwardSplit(re.data(), im.data());
        std::vector<float> out(re);
        out.insert(out.end(), im.begin(), im.end());
        fft.InverseSplit(re.data(), im.data());
        out.insert(out.end(), re.begin(), re.end());
        fft.ForwardSplit(kr.data(), ki.data());
        fft.ConvolveSplit(re.data(), im.data(), kr.data(), ki.data());
        out.insert(out.end(), re.begin(), re.end());
        out.insert(out.end(), im.begin(), im.end());
        return out;
    };
    for (size_t n : {16, 32, 64, 128, 2048, 4096, 32768}) {
        const auto x = Noise(n, unsigned(n) + 11);
        std::vector<float> re(n), im(n);
        for (size_t t = 0; t < n; ++t) {
            re[t] = float(x[t].real());
            im[t] = float(x[t].imag());
        }
        const auto narrow = run(false, n, re, im), wide = run(true, n, re, im);
        // Bits, not values: a zero's sign counts.
        EXPECT_EQ(0, std::memcmp(narrow.data(), wide.data(), narrow.size() * sizeof(float))) << n;
    }
    fxkit::wide::Enable(true);
}

// Real signals: bins 0 .. n / 2 of the complex transform of the same values, and back.
TEST(KitFft, RealTransformGivesTheHalfSpectrumAndInverts)
{
    for (size_t n : {16, 32, 64, 128, 2048, 8192}) {
        const auto z = Noise(n, unsigned(n) + 3);
        std::vector<double> x(n);
        std::vector<Complex> full(n);
        for (size_t t = 0; t < n; ++t)
            full[t] = x[t] = z[t].real();
        fxkit::Fft(n).Forward(full.data());
        fxkit::RealFft real(n);
        std::vector<Complex> bins(n / 2 + 1);
        real.Forward(x.data(), bins.data());
        double worst = 0;
        for (size_t k = 0; k <= n / 2; ++k)
            worst = std::max(worst, std::abs(bins[k] - full[k]));
        EXPECT_LT(worst, 1e-12 * double(n)) << n;
        std::vector<double> back(n);
        real.Inverse(bins.data(), back.data());
        worst = 0;
        for (size_t t = 0; t < n; ++t)
            worst = std::max(worst, std::fabs(back[t] - x[t]));
        EXPECT_LT(worst, 1e-14 * double(n)) << n;
    }
}

// Two real signals as one complex transform: apart, each has its own half spectrum; joined and
// taken back, each comes back.
TEST(KitFft, PairOfRealSignalsSplitsIntoTheirSpectraAndJoinsBack)
{
    for (size_t n : {2, 8, 16, 2048}) {
        const auto z = Noise(n, unsigned(n) + 5);
        std::vector<double> a(n), b(n);
        std::vector<Complex> fa(n), fb(n);
        for (size_t t = 0; t < n; ++t) {
            fa[t] = a[t] = z[t].real();
            fb[t] = b[t] = z[t].imag();
        }
        fxkit::Fft(n).Forward(fa.data());
        fxkit::Fft(n).Forward(fb.data());
        fxkit::FloatFft fft(n);
        std::vector<float> re(a.begin(), a.end()), im(b.begin(), b.end());
        fft.ForwardSplit(re.data(), im.data());
        std::vector<std::complex<float>> first(n / 2 + 1), second(n / 2 + 1);
        fft.SplitPair(re.data(), im.data(), first.data(), second.data());
        double worst = 0;
        for (size_t k = 0; k <= n / 2; ++k)
            worst = std::max({worst, std::abs(Complex(first[k]) - fa[k]), std::abs(Complex(second[k]) - fb[k])});
        EXPECT_LT(worst, 1e-5 * std::sqrt(double(n))) << n;
        fft.JoinPair(first.data(), second.data(), re.data(), im.data());
        fft.InverseSplit(re.data(), im.data());
        worst = 0;
        for (size_t t = 0; t < n; ++t)
            worst = std::max({worst, std::fabs(re[t] / double(n) - a[t]), std::fabs(im[t] / double(n) - b[t])});
        EXPECT_LT(worst, 1e-6) << n;
    }
}

TEST(KitFft, TheSse2AndAvx2StagesOfTheDoubleForwardGiveTheSameNumbers)
{
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma"))
        GTEST_SKIP() << "no AVX2 here";
    // Every stride a stage meets, from the first stage (stride 1) to the last.
    const size_t size = 4096;
    std::vector<double> in(2 * size), sse(2 * size), avx(2 * size);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = std::sin(0.37 * double(i)) + 0.25 * std::cos(1.3 * double(i));
    std::vector<double> twiddles;
    for (size_t n = size, s = 1; n >= 4; n /= 4, s *= 4) {
        const size_t m = n / 4;
        twiddles.clear();
        for (size_t t = 1; t <= 3; ++t)
            for (size_t p = 0; p < m; ++p) {
                twiddles.push_back(std::cos(-2.0 * 3.14159265358979323846 * double(t * p) / double(n)));
                twiddles.push_back(std::sin(-2.0 * 3.14159265358979323846 * double(t * p) / double(n)));
            }
        const fxkit::fftkernel::Stage stage = {twiddles.data(), m, s};
        fxkit::fftkernel::Radix4Sse2(stage, in.data(), sse.data());
        fxkit::fftkernel::Radix4Avx2(stage, in.data(), avx.data());
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_NEAR(sse[i], avx[i], 1e-12) << "stride " << s << " value " << i;
    }
    fxkit::fftkernel::Radix2Sse2(size / 2, in.data(), sse.data());
    fxkit::fftkernel::Radix2Avx2(size / 2, in.data(), avx.data());
    EXPECT_EQ(sse, avx);
}

// The short-time stream's eight-wide paths (the stereo pair, the finished hop) give the four-wide ones'
// output bit for bit: runs of the ring not a multiple of eight (size 1000, hop 300, odd chunks),
// both scalings, and samples beyond the float transform's range (scaled) or not finite.
TEST(KitFft, StreamWidePathsEqualTheFourWideOnesBitForBit)
{
    if (!fxkit::wide::Enabled())
        GTEST_SKIP() << "no AVX here";
    std::vector<float> in(2 * 20000);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-1, 1);
    for (auto& x : in)
        x = u(rng);
    for (size_t i = 3000; i < 3400; ++i)
        in[i] *= 1e38f;
    in[5001] = std::numeric_limits<float>::infinity();
    in[7002] = std::numeric_limits<float>::quiet_NaN();
    const auto run = [&](bool wide) {
        fxkit::wide::Enable(wide);
        fxkit::StftStream stream;
        stream.Configure(1000, 300, 2);
        std::vector<float> window(1000), re(1000), im(1000), out(in.size());
        for (size_t i = 0; i < window.size(); ++i)
            window[i] = float(0.5 - 0.5 * std::cos(2 * 3.14159265358979323846 * double(i) / 1000.0));
        bool apart = false;
        for (size_t at = 0, chunk = 1; at < 20000; at += chunk, chunk = chunk * 7 % 1013 + 1) {
            chunk = std::min(chunk, 20000 - at);
            stream.Process(in.data() + 2 * at, out.data() + 2 * at, chunk, [&] {
                const auto scale = stream.GatherPair(0, window.data(), re.data(), im.data(), apart = !apart);
                stream.AddPair(0, re.data(), im.data(), window.data(), 0.3 / scale.first, 0.7 / scale.second);
            });
        }
        return out;
    };
    const auto narrow = run(false), wide = run(true);
    EXPECT_EQ(0, std::memcmp(narrow.data(), wide.data(), narrow.size() * sizeof(float)));
    fxkit::wide::Enable(true);
}

} // namespace
