// The kit's maths for sample loops, where the toolchain's library (x87 code, 50-90 ns a call)
// must not run once per sample:
// - rounding by the SSE conversion: to nearest, ties to even (the processor's default mode);
// - sine and cosine: within 1e-15 of the true value within a few turns and 1e-12 up to
//   |x| = 1e6 rad (a reduction by pi/2 in two parts, then polynomials on [-pi/4, pi/4]),
//   branch-free;
// - base-2 logarithm and power for per-sample gain computers: a polynomial on the mantissa,
//   relative error below 1e-6 (a few millionths of a dB).
#pragma once
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

namespace fxkit {

// x rounded to the nearest integer, ties to even; |x| < 2^31 (outside: INT32_MIN).
inline int32_t RoundToInt(double x)
{
    return _mm_cvtsd_si32(_mm_set_sd(x));
}
inline int32_t RoundToInt(float x)
{
    return _mm_cvtss_si32(_mm_set_ss(x));
}
// The same for |x| < 2^63.
inline int64_t RoundToInt64(double x)
{
    return _mm_cvtsd_si64(_mm_set_sd(x));
}
// Four floats rounded to integers, ties to even; |x| < 2^31.
inline __m128i RoundToInt4(__m128 x)
{
    return _mm_cvtps_epi32(x);
}

// sin x and cos x together; |x| <= 1e6 (beyond it the error grows with |x|).
inline void FastSinCos(double x, double* sine, double* cosine)
{
    // x = k pi/2 + r, |r| <= pi/4: pi/2 in two parts, the first with 33 bits so k times it is exact.
    const int64_t k = RoundToInt64(x * 0.63661977236758134308);
    const double kd = double(k);
    const double r = (x - kd * 1.57079632673412561417e+00) - kd * 6.07710050650619224932e-11;
    const double z = r * r;
    const double s = r + r * z *
                             (-1.66666666666666324348e-01 +
                              z * (8.33333333332248946124e-03 +
                                   z * (-1.98412698298579493134e-04 +
                                        z * (2.75573137070700676789e-06 +
                                             z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))));
    const double c = 1.0 - 0.5 * z +
                     z * z *
                         (4.16666666666666019037e-02 +
                          z * (-1.38888888888741095749e-03 +
                               z * (2.48015872894767294178e-05 +
                                    z * (-2.75573143513906633035e-07 +
                                         z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    // Quadrant k mod 4: odd quadrants swap sine and cosine; the sign bits by quadrant.
    const uint64_t q = uint64_t(k) & 3;
    const bool odd = (q & 1) != 0;
    uint64_t sb, cb;
    const double sv = odd ? c : s, cv = odd ? s : c;
    std::memcpy(&sb, &sv, 8);
    std::memcpy(&cb, &cv, 8);
    sb ^= (q & 2) << 62;
    cb ^= ((q + 1) & 2) << 62;
    std::memcpy(sine, &sb, 8);
    std::memcpy(cosine, &cb, 8);
}

inline double FastSin(double x)
{
    double s, c;
    FastSinCos(x, &s, &c);
    return s;
}

inline double FastCos(double x)
{
    double s, c;
    FastSinCos(x, &s, &c);
    return c;
}

// x > 0 and finite.
inline double FastLog2(double x)
{
    uint64_t bits;
    std::memcpy(&bits, &x, 8);
    const int exponent = int((bits >> 52) & 0x7FF) - 1023;
    bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull; // mantissa in [1, 2)
    double m;
    std::memcpy(&m, &bits, 8);
    // log2(m) = log2((1 + t) / (1 - t)) with t = (m - 1) / (m + 1), |t| <= 1/3: odd series.
    const double t = (m - 1) / (m + 1), t2 = t * t;
    const double series =
        t * (2.0 + t2 * (2.0 / 3 + t2 * (2.0 / 5 + t2 * (2.0 / 7 + t2 * (2.0 / 9 + t2 * (2.0 / 11))))));
    return exponent + series * 1.4426950408889634;
}

// 2^y for |y| < 1000.
inline double FastExp2(double y)
{
    const double whole = y < 0 ? double(int64_t(y) - (double(int64_t(y)) != y)) : double(int64_t(y));
    const double f = (y - whole) * 0.6931471805599453; // 2^frac = e^(frac ln 2), frac in [0, 1)
    const double e =
        1 + f * (1 + f * (0.5 + f * (1.0 / 6 + f * (1.0 / 24 + f * (1.0 / 120 +
                                                                    f * (1.0 / 720 + f * (1.0 / 5040 + f / 40320)))))));
    uint64_t bits = uint64_t(int64_t(whole) + 1023) << 52;
    double scale;
    std::memcpy(&scale, &bits, 8);
    return e * scale;
}

} // namespace fxkit
