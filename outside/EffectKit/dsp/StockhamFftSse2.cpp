// The SSE2 stages of StockhamFft: one complex value per register.
#include "StockhamFft.h"

#include <emmintrin.h>

namespace fxkit::fftkernel {

namespace {

const __m128d kNegLow = _mm_set_pd(0.0, -0.0);

// (re, im) x (wr, wi): wr duplicated in wr2, (-wi, wi) in wi2.
inline __m128d Mul(__m128d v, __m128d wr2, __m128d wi2)
{
    return _mm_add_pd(_mm_mul_pd(v, wr2), _mm_mul_pd(_mm_shuffle_pd(v, v, 1), wi2));
}

// i * v
inline __m128d TimesI(__m128d v)
{
    return _mm_xor_pd(_mm_shuffle_pd(v, v, 1), kNegLow);
}

} // namespace

void Radix4Sse2(const Stage& stage, const double* in, double* out)
{
    const size_t m = stage.quarter, s = stage.stride;
    const double* w1 = stage.twiddles;
    const double* w2 = w1 + 2 * m;
    const double* w3 = w2 + 2 * m;
    for (size_t p = 0; p < m; ++p) {
        const __m128d w1r = _mm_set1_pd(w1[2 * p]), w1i = _mm_set_pd(w1[2 * p + 1], -w1[2 * p + 1]);
        const __m128d w2r = _mm_set1_pd(w2[2 * p]), w2i = _mm_set_pd(w2[2 * p + 1], -w2[2 * p + 1]);
        const __m128d w3r = _mm_set1_pd(w3[2 * p]), w3i = _mm_set_pd(w3[2 * p + 1], -w3[2 * p + 1]);
        const double* x = in + 2 * s * p;
        double* y = out + 2 * s * 4 * p;
        for (size_t q = 0; q < s; ++q) {
            const __m128d a = _mm_loadu_pd(x + 2 * q);
            const __m128d b = _mm_loadu_pd(x + 2 * (q + s * m));
            const __m128d c = _mm_loadu_pd(x + 2 * (q + 2 * s * m));
            const __m128d d = _mm_loadu_pd(x + 2 * (q + 3 * s * m));
            const __m128d apc = _mm_add_pd(a, c), amc = _mm_sub_pd(a, c);
            const __m128d bpd = _mm_add_pd(b, d), jbmd = TimesI(_mm_sub_pd(b, d));
            _mm_storeu_pd(y + 2 * q, _mm_add_pd(apc, bpd));
            _mm_storeu_pd(y + 2 * (q + s), Mul(_mm_sub_pd(amc, jbmd), w1r, w1i));
            _mm_storeu_pd(y + 2 * (q + 2 * s), Mul(_mm_sub_pd(apc, bpd), w2r, w2i));
            _mm_storeu_pd(y + 2 * (q + 3 * s), Mul(_mm_add_pd(amc, jbmd), w3r, w3i));
        }
    }
}

void Radix2Sse2(size_t stride, const double* in, double* out)
{
    for (size_t q = 0; q < stride; ++q) {
        const __m128d a = _mm_loadu_pd(in + 2 * q), b = _mm_loadu_pd(in + 2 * (q + stride));
        _mm_storeu_pd(out + 2 * q, _mm_add_pd(a, b));
        _mm_storeu_pd(out + 2 * (q + stride), _mm_sub_pd(a, b));
    }
}

} // namespace fxkit::fftkernel
