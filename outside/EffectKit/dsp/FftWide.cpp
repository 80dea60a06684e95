#include "FftWide.h"

#include <immintrin.h>

namespace fxkit::wide {

namespace {

// (r + i i) times w, stored.
inline void StoreMul(float* pr, float* pi, __m256 r, __m256 i, const float* w)
{
    const __m256 wr = _mm256_loadu_ps(w), wi = _mm256_loadu_ps(w + kWidth);
    _mm256_storeu_ps(pr, _mm256_sub_ps(_mm256_mul_ps(r, wr), _mm256_mul_ps(i, wi)));
    _mm256_storeu_ps(pi, _mm256_add_ps(_mm256_mul_ps(r, wi), _mm256_mul_ps(i, wr)));
}

// (r + i i) times the conjugate of w.
inline void MulConj(__m256 r, __m256 i, const float* w, __m256& outR, __m256& outI)
{
    const __m256 wr = _mm256_loadu_ps(w), wi = _mm256_loadu_ps(w + kWidth);
    outR = _mm256_add_ps(_mm256_mul_ps(r, wr), _mm256_mul_ps(i, wi));
    outI = _mm256_sub_ps(_mm256_mul_ps(i, wr), _mm256_mul_ps(r, wi));
}

} // namespace

void ForwardPass4(float* re, float* im, size_t span, size_t size, const float* twiddles)
{
    const size_t q = size / 4;
    for (size_t base = 0; base < span; base += size) {
        float *r = re + base, *i = im + base;
        for (size_t j = 0; j < q; j += kWidth) {
            const float* w = twiddles + 6 * j;
            const __m256 x0r = _mm256_loadu_ps(r + j), x0i = _mm256_loadu_ps(i + j);
            const __m256 x1r = _mm256_loadu_ps(r + j + q), x1i = _mm256_loadu_ps(i + j + q);
            const __m256 x2r = _mm256_loadu_ps(r + j + 2 * q), x2i = _mm256_loadu_ps(i + j + 2 * q);
            const __m256 x3r = _mm256_loadu_ps(r + j + 3 * q), x3i = _mm256_loadu_ps(i + j + 3 * q);
            const __m256 t0r = _mm256_add_ps(x0r, x2r), t0i = _mm256_add_ps(x0i, x2i);
            const __m256 t1r = _mm256_sub_ps(x0r, x2r), t1i = _mm256_sub_ps(x0i, x2i);
            const __m256 t2r = _mm256_add_ps(x1r, x3r), t2i = _mm256_add_ps(x1i, x3i);
            const __m256 t3r = _mm256_sub_ps(x1i, x3i), t3i = _mm256_sub_ps(x3r, x1r); // (x1 - x3) * -i
            _mm256_storeu_ps(r + j, _mm256_add_ps(t0r, t2r));
            _mm256_storeu_ps(i + j, _mm256_add_ps(t0i, t2i));
            StoreMul(r + j + q, i + j + q, _mm256_sub_ps(t0r, t2r), _mm256_sub_ps(t0i, t2i), w + 2 * kWidth);
            StoreMul(r + j + 2 * q, i + j + 2 * q, _mm256_add_ps(t1r, t3r), _mm256_add_ps(t1i, t3i), w);
            StoreMul(r + j + 3 * q, i + j + 3 * q, _mm256_sub_ps(t1r, t3r), _mm256_sub_ps(t1i, t3i), w + 4 * kWidth);
        }
    }
}

void InversePass4(float* re, float* im, size_t span, size_t size, const float* twiddles)
{
    const size_t q = size / 4;
    for (size_t base = 0; base < span; base += size) {
        float *r = re + base, *i = im + base;
        for (size_t j = 0; j < q; j += kWidth) {
            const float* w = twiddles + 6 * j;
            const __m256 ar = _mm256_loadu_ps(r + j), ai = _mm256_loadu_ps(i + j);
            __m256 br, bi, cr, ci, dr, di;
            MulConj(_mm256_loadu_ps(r + j + q), _mm256_loadu_ps(i + j + q), w + 2 * kWidth, br, bi);
            MulConj(_mm256_loadu_ps(r + j + 2 * q), _mm256_loadu_ps(i + j + 2 * q), w, cr, ci);
            MulConj(_mm256_loadu_ps(r + j + 3 * q), _mm256_loadu_ps(i + j + 3 * q), w + 4 * kWidth, dr, di);
            const __m256 sr = _mm256_add_ps(ar, br), si = _mm256_add_ps(ai, bi);
            const __m256 er = _mm256_sub_ps(ar, br), ei = _mm256_sub_ps(ai, bi);
            const __m256 fr = _mm256_add_ps(cr, dr), fi = _mm256_add_ps(ci, di);
            const __m256 gr = _mm256_sub_ps(ci, di), gi = _mm256_sub_ps(dr, cr); // (c - d) * -i
            _mm256_storeu_ps(r + j, _mm256_add_ps(sr, fr));
            _mm256_storeu_ps(i + j, _mm256_add_ps(si, fi));
            _mm256_storeu_ps(r + j + 2 * q, _mm256_sub_ps(sr, fr));
            _mm256_storeu_ps(i + j + 2 * q, _mm256_sub_ps(si, fi));
            _mm256_storeu_ps(r + j + q, _mm256_sub_ps(er, gr)); // e + i (c - d)
            _mm256_storeu_ps(i + j + q, _mm256_sub_ps(ei, gi));
            _mm256_storeu_ps(r + j + 3 * q, _mm256_add_ps(er, gr)); // e - i (c - d)
            _mm256_storeu_ps(i + j + 3 * q, _mm256_add_ps(ei, gi));
        }
    }
}

void ForwardPass2(float* re, float* im, size_t span, size_t size, const float* twiddles)
{
    const size_t h = size / 2;
    for (size_t base = 0; base < span; base += size) {
        float *r = re + base, *i = im + base;
        for (size_t j = 0; j < h; j += kWidth) {
            const __m256 ar = _mm256_loadu_ps(r + j), ai = _mm256_loadu_ps(i + j);
            const __m256 br = _mm256_loadu_ps(r + j + h), bi = _mm256_loadu_ps(i + j + h);
            _mm256_storeu_ps(r + j, _mm256_add_ps(ar, br));
            _mm256_storeu_ps(i + j, _mm256_add_ps(ai, bi));
            StoreMul(r + j + h, i + j + h, _mm256_sub_ps(ar, br), _mm256_sub_ps(ai, bi), twiddles + 2 * j);
        }
    }
}

void InversePass2(float* re, float* im, size_t span, size_t size, const float* twiddles)
{
    const size_t h = size / 2;
    for (size_t base = 0; base < span; base += size) {
        float *r = re + base, *i = im + base;
        for (size_t j = 0; j < h; j += kWidth) {
            const __m256 ar = _mm256_loadu_ps(r + j), ai = _mm256_loadu_ps(i + j);
            __m256 tr, ti;
            MulConj(_mm256_loadu_ps(r + j + h), _mm256_loadu_ps(i + j + h), twiddles + 2 * j, tr, ti);
            _mm256_storeu_ps(r + j, _mm256_add_ps(ar, tr));
            _mm256_storeu_ps(i + j, _mm256_add_ps(ai, ti));
            _mm256_storeu_ps(r + j + h, _mm256_sub_ps(ar, tr));
            _mm256_storeu_ps(i + j + h, _mm256_sub_ps(ai, ti));
        }
    }
}

} // namespace fxkit::wide
