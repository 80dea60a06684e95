// The AVX2/FMA stages of StockhamFft: two complex values per register, across the points of one
// sub-transform (stride 4 and more) or across neighbouring sub-transforms (stride 1). Built with
// -mavx2 -mfma; called only when the processor has both.
#include "StockhamFft.h"

#include <immintrin.h>

namespace fxkit::fftkernel {

namespace {

// Two complex products v * w.
inline __m256d Mul(__m256d v, __m256d w)
{
    const __m256d wr = _mm256_movedup_pd(w);
    const __m256d wi = _mm256_permute_pd(w, 0xF);
    return _mm256_fmaddsub_pd(v, wr, _mm256_mul_pd(_mm256_permute_pd(v, 0x5), wi));
}

// Two complex products v * (wr + i wi) by one twiddle held as broadcast parts.
inline __m256d MulBy(__m256d v, __m256d wr, __m256d wi)
{
    return _mm256_fmaddsub_pd(v, wr, _mm256_mul_pd(_mm256_permute_pd(v, 0x5), wi));
}

struct Butterfly {
    __m256d y0, y1, y2, y3; // y1 .. y3 before their twiddles
};

inline Butterfly Radix4(__m256d a, __m256d b, __m256d c, __m256d d)
{
    const __m256d apc = _mm256_add_pd(a, c), amc = _mm256_sub_pd(a, c);
    const __m256d bpd = _mm256_add_pd(b, d);
    const __m256d bmd = _mm256_permute_pd(_mm256_sub_pd(b, d), 0x5); // (im, re) of b - d
    const __m256d neg = _mm256_xor_pd(bmd, _mm256_set1_pd(-0.0));
    // amc - i(b - d) = (amc.re + im, amc.im - re); amc + i(b - d) = (amc.re - im, amc.im + re)
    return {_mm256_add_pd(apc, bpd), _mm256_addsub_pd(amc, neg), _mm256_sub_pd(apc, bpd),
            _mm256_addsub_pd(amc, bmd)};
}

} // namespace

void Radix4Avx2(const Stage& stage, const double* in, double* out)
{
    const size_t m = stage.quarter, s = stage.stride;
    const double* w1 = stage.twiddles;
    const double* w2 = w1 + 2 * m;
    const double* w3 = w2 + 2 * m;
    if (s == 1) {
        if (m < 2) {
            Radix4Sse2(stage, in, out);
            return;
        }
        for (size_t p = 0; p < m; p += 2) {
            const Butterfly r = Radix4(_mm256_loadu_pd(in + 2 * p), _mm256_loadu_pd(in + 2 * (p + m)),
                                       _mm256_loadu_pd(in + 2 * (p + 2 * m)), _mm256_loadu_pd(in + 2 * (p + 3 * m)));
            const __m256d y1 = Mul(r.y1, _mm256_loadu_pd(w1 + 2 * p));
            const __m256d y2 = Mul(r.y2, _mm256_loadu_pd(w2 + 2 * p));
            const __m256d y3 = Mul(r.y3, _mm256_loadu_pd(w3 + 2 * p));
            double* y = out + 8 * p;
            _mm256_storeu_pd(y, _mm256_permute2f128_pd(r.y0, y1, 0x20));
            _mm256_storeu_pd(y + 4, _mm256_permute2f128_pd(y2, y3, 0x20));
            _mm256_storeu_pd(y + 8, _mm256_permute2f128_pd(r.y0, y1, 0x31));
            _mm256_storeu_pd(y + 12, _mm256_permute2f128_pd(y2, y3, 0x31));
        }
        return;
    }
    if (m == 1) {
        // The last radix-4 stage: every twiddle is 1.
        const size_t sm = s;
        for (size_t q = 0; q < s; q += 2) {
            const Butterfly r = Radix4(_mm256_loadu_pd(in + 2 * q), _mm256_loadu_pd(in + 2 * (q + sm)),
                                       _mm256_loadu_pd(in + 2 * (q + 2 * sm)), _mm256_loadu_pd(in + 2 * (q + 3 * sm)));
            _mm256_storeu_pd(out + 2 * q, r.y0);
            _mm256_storeu_pd(out + 2 * (q + s), r.y1);
            _mm256_storeu_pd(out + 2 * (q + 2 * s), r.y2);
            _mm256_storeu_pd(out + 2 * (q + 3 * s), r.y3);
        }
        return;
    }
    for (size_t p = 0; p < m; ++p) {
        const __m256d w1r = _mm256_set1_pd(w1[2 * p]), w1i = _mm256_set1_pd(w1[2 * p + 1]);
        const __m256d w2r = _mm256_set1_pd(w2[2 * p]), w2i = _mm256_set1_pd(w2[2 * p + 1]);
        const __m256d w3r = _mm256_set1_pd(w3[2 * p]), w3i = _mm256_set1_pd(w3[2 * p + 1]);
        const double* x = in + 2 * s * p;
        double* y = out + 8 * s * p;
        const size_t sm = s * m;
        for (size_t q = 0; q < s; q += 2) {
            const Butterfly r = Radix4(_mm256_loadu_pd(x + 2 * q), _mm256_loadu_pd(x + 2 * (q + sm)),
                                       _mm256_loadu_pd(x + 2 * (q + 2 * sm)), _mm256_loadu_pd(x + 2 * (q + 3 * sm)));
            _mm256_storeu_pd(y + 2 * q, r.y0);
            _mm256_storeu_pd(y + 2 * (q + s), MulBy(r.y1, w1r, w1i));
            _mm256_storeu_pd(y + 2 * (q + 2 * s), MulBy(r.y2, w2r, w2i));
            _mm256_storeu_pd(y + 2 * (q + 3 * s), MulBy(r.y3, w3r, w3i));
        }
    }
}

void Radix2Avx2(size_t stride, const double* in, double* out)
{
    if (stride < 2) {
        Radix2Sse2(stride, in, out);
        return;
    }
    for (size_t q = 0; q < stride; q += 2) {
        const __m256d a = _mm256_loadu_pd(in + 2 * q), b = _mm256_loadu_pd(in + 2 * (q + stride));
        _mm256_storeu_pd(out + 2 * q, _mm256_add_pd(a, b));
        _mm256_storeu_pd(out + 2 * (q + stride), _mm256_sub_pd(a, b));
    }
}

} // namespace fxkit::fftkernel
