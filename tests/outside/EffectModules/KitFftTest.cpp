// The kit's FFT against the transform's definition: every stage layout (radix-4 stages with or
// without the radix-2 one, the split transform's depth-first pass over large sizes).
#include "Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
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
    for (size_t n : {2, 4, 8, 16, 32, 128, 512, 2048}) {
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
    for (size_t n : {2, 4, 8, 32, 1024, 8192, 16384}) {
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

} // namespace
