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

#include <emmintrin.h>

namespace fxkit {

// atan2(y, x) for finite y and x, within 2e-8 rad (the series' first left-out term); branch-free,
// so a loop of it can be vectorised; atan2(0, 0) = 0. The angle of the smaller part over the
// larger lies in [0, pi/4]; above tan(pi/8) it is pi/4 + atan((lo - hi) / (lo + hi)), so the odd
// series runs on |u| <= tan(pi/8), where eight terms are enough.
inline double FastAtan2(double y, double x)
{
    constexpr double kQuarterPi = 0.78539816339744830962, kTanEighthPi = 0.41421356237309504880;
    const double ax = x < 0 ? -x : x, ay = y < 0 ? -y : y;
    const double lo = ax < ay ? ax : ay, hi = ax < ay ? ay : ax;
    const bool upper = lo > kTanEighthPi * hi;
    const double num = upper ? lo - hi : lo, den = upper ? lo + hi : hi > 0 ? hi : 1.0;
    const double u = num / den, s = u * u;
    double r = u * (1 + s * (-1.0 / 3 + s * (1.0 / 5 + s * (-1.0 / 7 + s * (1.0 / 9 + s * (-1.0 / 11 +
                                                                                    s * (1.0 / 13 - s / 15)))))));
    r += upper ? kQuarterPi : 0.0;
    r = ay > ax ? 2 * kQuarterPi - r : r;
    uint64_t xBits, yBits; // the signs of zeros count, as the library's
    std::memcpy(&xBits, &x, 8);
    std::memcpy(&yBits, &y, 8);
    r = xBits >> 63 ? 4 * kQuarterPi - r : r;
    return yBits >> 63 ? -r : r;
}

// Four at a time in float, the same way: within 1e-6 rad (the float rounding of the angles).
inline __m128 FastAtan2(__m128 y, __m128 x)
{
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 ax = _mm_andnot_ps(sign, x), ay = _mm_andnot_ps(sign, y);
    const __m128 lo = _mm_min_ps(ax, ay), hi = _mm_max_ps(ax, ay);
    const __m128 upper = _mm_cmpgt_ps(lo, _mm_mul_ps(_mm_set1_ps(0.41421356f), hi));
    const __m128 num = _mm_or_ps(_mm_and_ps(upper, _mm_sub_ps(lo, hi)), _mm_andnot_ps(upper, lo));
    __m128 den = _mm_or_ps(_mm_and_ps(upper, _mm_add_ps(lo, hi)), _mm_andnot_ps(upper, hi));
    const __m128 one = _mm_set1_ps(1.0f), zero = _mm_cmpeq_ps(den, _mm_setzero_ps());
    den = _mm_or_ps(_mm_and_ps(zero, one), _mm_andnot_ps(zero, den));
    const __m128 u = _mm_div_ps(num, den), s = _mm_mul_ps(u, u);
    static const float kTerms[] = {1.0f / 13, -1.0f / 11, 1.0f / 9, -1.0f / 7, 1.0f / 5, -1.0f / 3, 1.0f};
    __m128 p = _mm_set1_ps(-1.0f / 15);
    for (float c : kTerms)
        p = _mm_add_ps(_mm_mul_ps(p, s), _mm_set1_ps(c));
    __m128 r = _mm_add_ps(_mm_mul_ps(u, p), _mm_and_ps(upper, _mm_set1_ps(0.78539816f)));
    const __m128 steep = _mm_cmpgt_ps(ay, ax);
    r = _mm_or_ps(_mm_and_ps(steep, _mm_sub_ps(_mm_set1_ps(1.57079633f), r)), _mm_andnot_ps(steep, r));
    const __m128 left = _mm_castsi128_ps(_mm_srai_epi32(_mm_castps_si128(x), 31));
    r = _mm_or_ps(_mm_and_ps(left, _mm_sub_ps(_mm_set1_ps(3.14159265f), r)), _mm_andnot_ps(left, r));
    return _mm_xor_ps(r, _mm_and_ps(sign, y));
}

} // namespace fxkit
