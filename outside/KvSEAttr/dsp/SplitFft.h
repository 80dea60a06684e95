// SplitFft: complex FFT of a power-of-two size >= 16 on split arrays (real parts, imaginary
// parts), four butterflies per SSE instruction. Forward leaves its result in bit-reversed order
// and InverseFromBitReversed takes that order, so a convolution needs no reordering pass:
//
//   SplitFft f(1024);
//   f.Forward(re, im);                 // natural order in, bit-reversed spectrum out
//   ... multiply by a filter spectrum kept in bit-reversed order ...
//   f.InverseFromBitReversed(re, im);  // natural order out, scaled by the size
#pragma once
#include <cmath>
#include <cstddef>
#include <vector>

#include <emmintrin.h>

class SplitFft {
public:
    explicit SplitFft(size_t n = 16) { Resize(n); }

    void Resize(size_t n)
    {
        m_n = n;
        m_twRe.clear();
        m_twIm.clear();
        // Per stage of size s = n, n/2, .. 8: e^(-2 pi i j / s) for j < s/2, one run each.
        for (size_t s = n; s >= 8; s /= 2)
            for (size_t j = 0; j < s / 2; ++j) {
                double a = -2.0 * 3.14159265358979323846 * double(j) / double(s);
                m_twRe.push_back(float(std::cos(a)));
                m_twIm.push_back(float(std::sin(a)));
            }
    }
    size_t Size() const { return m_n; }

    // Decimation in frequency: natural order in, bit-reversed out. Unscaled.
    void Forward(float* re, float* im) const
    {
        const float* twr = m_twRe.data();
        const float* twi = m_twIm.data();
        for (size_t s = m_n; s >= 8; s /= 2) {
            const size_t h = s / 2;
            for (size_t base = 0; base < m_n; base += s)
                for (size_t j = 0; j < h; j += 4) {
                    float *pr = re + base + j, *pi = im + base + j;
                    __m128 ar = _mm_loadu_ps(pr), ai = _mm_loadu_ps(pi);
                    __m128 br = _mm_loadu_ps(pr + h), bi = _mm_loadu_ps(pi + h);
                    __m128 wr = _mm_loadu_ps(twr + j), wi = _mm_loadu_ps(twi + j);
                    _mm_storeu_ps(pr, _mm_add_ps(ar, br));
                    _mm_storeu_ps(pi, _mm_add_ps(ai, bi));
                    __m128 dr = _mm_sub_ps(ar, br), di = _mm_sub_ps(ai, bi);
                    _mm_storeu_ps(pr + h, _mm_sub_ps(_mm_mul_ps(dr, wr), _mm_mul_ps(di, wi)));
                    _mm_storeu_ps(pi + h, _mm_add_ps(_mm_mul_ps(dr, wi), _mm_mul_ps(di, wr)));
                }
            twr += h;
            twi += h;
        }
        // The last two stages (sizes 4 and 2) on groups of four, four groups at a time: the
        // transposes put element k of each group into vector k.
        for (size_t g = 0; g < m_n; g += 16) {
            __m128 r0 = _mm_loadu_ps(re + g), r1 = _mm_loadu_ps(re + g + 4), r2 = _mm_loadu_ps(re + g + 8),
                   r3 = _mm_loadu_ps(re + g + 12);
            __m128 i0 = _mm_loadu_ps(im + g), i1 = _mm_loadu_ps(im + g + 4), i2 = _mm_loadu_ps(im + g + 8),
                   i3 = _mm_loadu_ps(im + g + 12);
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            _MM_TRANSPOSE4_PS(i0, i1, i2, i3);
            // Size 4: a0 = x0 + x2, a2 = x0 - x2, a1 = x1 + x3, a3 = (x1 - x3) * -i.
            __m128 a0r = _mm_add_ps(r0, r2), a0i = _mm_add_ps(i0, i2);
            __m128 a2r = _mm_sub_ps(r0, r2), a2i = _mm_sub_ps(i0, i2);
            __m128 a1r = _mm_add_ps(r1, r3), a1i = _mm_add_ps(i1, i3);
            __m128 a3r = _mm_sub_ps(i1, i3), a3i = _mm_sub_ps(r3, r1);
            // Size 2.
            r0 = _mm_add_ps(a0r, a1r), i0 = _mm_add_ps(a0i, a1i);
            r1 = _mm_sub_ps(a0r, a1r), i1 = _mm_sub_ps(a0i, a1i);
            r2 = _mm_add_ps(a2r, a3r), i2 = _mm_add_ps(a2i, a3i);
            r3 = _mm_sub_ps(a2r, a3r), i3 = _mm_sub_ps(a2i, a3i);
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            _MM_TRANSPOSE4_PS(i0, i1, i2, i3);
            _mm_storeu_ps(re + g, r0), _mm_storeu_ps(re + g + 4, r1), _mm_storeu_ps(re + g + 8, r2),
                _mm_storeu_ps(re + g + 12, r3);
            _mm_storeu_ps(im + g, i0), _mm_storeu_ps(im + g + 4, i1), _mm_storeu_ps(im + g + 8, i2),
                _mm_storeu_ps(im + g + 12, i3);
        }
    }

    // Decimation in time with conjugate twiddles: bit-reversed in, natural order out, the
    // inverse transform times the size.
    void InverseFromBitReversed(float* re, float* im) const
    {
        // The first two stages (sizes 2 and 4) on groups of four.
        for (size_t g = 0; g < m_n; g += 16) {
            __m128 r0 = _mm_loadu_ps(re + g), r1 = _mm_loadu_ps(re + g + 4), r2 = _mm_loadu_ps(re + g + 8),
                   r3 = _mm_loadu_ps(re + g + 12);
            __m128 i0 = _mm_loadu_ps(im + g), i1 = _mm_loadu_ps(im + g + 4), i2 = _mm_loadu_ps(im + g + 8),
                   i3 = _mm_loadu_ps(im + g + 12);
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            _MM_TRANSPOSE4_PS(i0, i1, i2, i3);
            // Size 2.
            __m128 b0r = _mm_add_ps(r0, r1), b0i = _mm_add_ps(i0, i1);
            __m128 b1r = _mm_sub_ps(r0, r1), b1i = _mm_sub_ps(i0, i1);
            __m128 b2r = _mm_add_ps(r2, r3), b2i = _mm_add_ps(i2, i3);
            __m128 b3r = _mm_sub_ps(r2, r3), b3i = _mm_sub_ps(i2, i3);
            // Size 4: t = b3 * i.
            __m128 tr = _mm_sub_ps(_mm_setzero_ps(), b3i), ti = b3r;
            r0 = _mm_add_ps(b0r, b2r), i0 = _mm_add_ps(b0i, b2i);
            r2 = _mm_sub_ps(b0r, b2r), i2 = _mm_sub_ps(b0i, b2i);
            r1 = _mm_add_ps(b1r, tr), i1 = _mm_add_ps(b1i, ti);
            r3 = _mm_sub_ps(b1r, tr), i3 = _mm_sub_ps(b1i, ti);
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            _MM_TRANSPOSE4_PS(i0, i1, i2, i3);
            _mm_storeu_ps(re + g, r0), _mm_storeu_ps(re + g + 4, r1), _mm_storeu_ps(re + g + 8, r2),
                _mm_storeu_ps(re + g + 12, r3);
            _mm_storeu_ps(im + g, i0), _mm_storeu_ps(im + g + 4, i1), _mm_storeu_ps(im + g + 8, i2),
                _mm_storeu_ps(im + g + 12, i3);
        }
        // Twiddle runs lie from the largest stage down; walk them from the smallest up.
        size_t offset = m_twRe.size();
        for (size_t s = 8; s <= m_n; s *= 2) {
            const size_t h = s / 2;
            offset -= h;
            const float* twr = m_twRe.data() + offset;
            const float* twi = m_twIm.data() + offset;
            for (size_t base = 0; base < m_n; base += s)
                for (size_t j = 0; j < h; j += 4) {
                    float *pr = re + base + j, *pi = im + base + j;
                    __m128 ar = _mm_loadu_ps(pr), ai = _mm_loadu_ps(pi);
                    __m128 br = _mm_loadu_ps(pr + h), bi = _mm_loadu_ps(pi + h);
                    __m128 wr = _mm_loadu_ps(twr + j), wi = _mm_loadu_ps(twi + j);
                    // b times the conjugate of w.
                    __m128 tr = _mm_add_ps(_mm_mul_ps(br, wr), _mm_mul_ps(bi, wi));
                    __m128 ti = _mm_sub_ps(_mm_mul_ps(bi, wr), _mm_mul_ps(br, wi));
                    _mm_storeu_ps(pr, _mm_add_ps(ar, tr));
                    _mm_storeu_ps(pi, _mm_add_ps(ai, ti));
                    _mm_storeu_ps(pr + h, _mm_sub_ps(ar, tr));
                    _mm_storeu_ps(pi + h, _mm_sub_ps(ai, ti));
                }
        }
    }

private:
    size_t m_n = 0;
    std::vector<float> m_twRe, m_twIm;
};
