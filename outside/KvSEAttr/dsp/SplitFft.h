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
        m_passes.clear();
        m_tw.clear();
        // Stages of sizes n .. 8 go four-way, two at a time (a pass of size S covers S and
        // S / 2); an odd one out is a two-way stage of size n. Sizes 4 and 2 are done apart.
        int stages = 0;
        for (size_t s = n; s >= 8; s /= 2)
            ++stages;
        size_t s = n;
        if (stages % 2) {
            m_passes.push_back({s, 2, m_tw.size()});
            for (size_t j = 0; j < s / 2; j += 4)
                for (int part = 0; part < 2; ++part)
                    for (size_t k = j; k < j + 4; ++k)
                        m_tw.push_back(Twiddle(k, s, part));
            s /= 2;
        }
        for (; s >= 16; s /= 4) {
            m_passes.push_back({s, 4, m_tw.size()});
            // Per four butterflies: w^j, w^2j, w^3j as real parts then imaginary parts.
            for (size_t j = 0; j < s / 4; j += 4)
                for (int power = 1; power <= 3; ++power)
                    for (int part = 0; part < 2; ++part)
                        for (size_t k = j; k < j + 4; ++k)
                            m_tw.push_back(Twiddle(k * power, s, part));
        }
    }
    size_t Size() const { return m_n; }

    // Decimation in frequency: natural order in, bit-reversed out. Unscaled.
    void Forward(float* re, float* im) const
    {
        for (const Pass& pass : m_passes) {
            const size_t s = pass.size;
            const float* tw = m_tw.data() + pass.twiddles;
            if (pass.radix == 2) {
                const size_t h = s / 2;
                for (size_t j = 0; j < h; j += 4, tw += 8) {
                    float *pr = re + j, *pi = im + j;
                    __m128 ar = _mm_loadu_ps(pr), ai = _mm_loadu_ps(pi);
                    __m128 br = _mm_loadu_ps(pr + h), bi = _mm_loadu_ps(pi + h);
                    __m128 wr = _mm_loadu_ps(tw), wi = _mm_loadu_ps(tw + 4);
                    _mm_storeu_ps(pr, _mm_add_ps(ar, br));
                    _mm_storeu_ps(pi, _mm_add_ps(ai, bi));
                    __m128 dr = _mm_sub_ps(ar, br), di = _mm_sub_ps(ai, bi);
                    _mm_storeu_ps(pr + h, _mm_sub_ps(_mm_mul_ps(dr, wr), _mm_mul_ps(di, wi)));
                    _mm_storeu_ps(pi + h, _mm_add_ps(_mm_mul_ps(dr, wi), _mm_mul_ps(di, wr)));
                }
                continue;
            }
            const size_t q = s / 4;
            for (size_t base = 0; base < m_n; base += s) {
                const float* w = tw;
                for (size_t j = 0; j < q; j += 4, w += 24) {
                    float *pr = re + base + j, *pi = im + base + j;
                    __m128 x0r = _mm_loadu_ps(pr), x0i = _mm_loadu_ps(pi);
                    __m128 x1r = _mm_loadu_ps(pr + q), x1i = _mm_loadu_ps(pi + q);
                    __m128 x2r = _mm_loadu_ps(pr + 2 * q), x2i = _mm_loadu_ps(pi + 2 * q);
                    __m128 x3r = _mm_loadu_ps(pr + 3 * q), x3i = _mm_loadu_ps(pi + 3 * q);
                    __m128 t0r = _mm_add_ps(x0r, x2r), t0i = _mm_add_ps(x0i, x2i);
                    __m128 t1r = _mm_sub_ps(x0r, x2r), t1i = _mm_sub_ps(x0i, x2i);
                    __m128 t2r = _mm_add_ps(x1r, x3r), t2i = _mm_add_ps(x1i, x3i);
                    __m128 t3r = _mm_sub_ps(x1i, x3i), t3i = _mm_sub_ps(x3r, x1r); // (x1 - x3) * -i
                    _mm_storeu_ps(pr, _mm_add_ps(t0r, t2r));
                    _mm_storeu_ps(pi, _mm_add_ps(t0i, t2i));
                    Store(pr + q, pi + q, _mm_sub_ps(t0r, t2r), _mm_sub_ps(t0i, t2i), w + 8);
                    Store(pr + 2 * q, pi + 2 * q, _mm_add_ps(t1r, t3r), _mm_add_ps(t1i, t3i), w);
                    Store(pr + 3 * q, pi + 3 * q, _mm_sub_ps(t1r, t3r), _mm_sub_ps(t1i, t3i), w + 16);
                }
            }
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
        for (auto it = m_passes.rbegin(); it != m_passes.rend(); ++it) {
            const size_t s = it->size;
            const float* tw = m_tw.data() + it->twiddles;
            if (it->radix == 2) {
                const size_t h = s / 2;
                for (size_t j = 0; j < h; j += 4, tw += 8) {
                    float *pr = re + j, *pi = im + j;
                    __m128 ar = _mm_loadu_ps(pr), ai = _mm_loadu_ps(pi);
                    __m128 tr, ti;
                    MulConj(_mm_loadu_ps(pr + h), _mm_loadu_ps(pi + h), tw, tr, ti);
                    _mm_storeu_ps(pr, _mm_add_ps(ar, tr));
                    _mm_storeu_ps(pi, _mm_add_ps(ai, ti));
                    _mm_storeu_ps(pr + h, _mm_sub_ps(ar, tr));
                    _mm_storeu_ps(pi + h, _mm_sub_ps(ai, ti));
                }
                continue;
            }
            const size_t q = s / 4;
            for (size_t base = 0; base < m_n; base += s) {
                const float* w = tw;
                for (size_t j = 0; j < q; j += 4, w += 24) {
                    float *pr = re + base + j, *pi = im + base + j;
                    __m128 ar = _mm_loadu_ps(pr), ai = _mm_loadu_ps(pi);
                    __m128 br, bi, cr, ci, dr, di;
                    MulConj(_mm_loadu_ps(pr + q), _mm_loadu_ps(pi + q), w + 8, br, bi);
                    MulConj(_mm_loadu_ps(pr + 2 * q), _mm_loadu_ps(pi + 2 * q), w, cr, ci);
                    MulConj(_mm_loadu_ps(pr + 3 * q), _mm_loadu_ps(pi + 3 * q), w + 16, dr, di);
                    __m128 sr = _mm_add_ps(ar, br), si = _mm_add_ps(ai, bi);
                    __m128 er = _mm_sub_ps(ar, br), ei = _mm_sub_ps(ai, bi);
                    __m128 fr = _mm_add_ps(cr, dr), fi = _mm_add_ps(ci, di);
                    __m128 gr = _mm_sub_ps(ci, di), gi = _mm_sub_ps(dr, cr); // (c - d) * -i
                    _mm_storeu_ps(pr, _mm_add_ps(sr, fr));
                    _mm_storeu_ps(pi, _mm_add_ps(si, fi));
                    _mm_storeu_ps(pr + 2 * q, _mm_sub_ps(sr, fr));
                    _mm_storeu_ps(pi + 2 * q, _mm_sub_ps(si, fi));
                    _mm_storeu_ps(pr + q, _mm_sub_ps(er, gr)); // e + i (c - d)
                    _mm_storeu_ps(pi + q, _mm_sub_ps(ei, gi));
                    _mm_storeu_ps(pr + 3 * q, _mm_add_ps(er, gr)); // e - i (c - d)
                    _mm_storeu_ps(pi + 3 * q, _mm_add_ps(ei, gi));
                }
            }
        }
    }

private:
    struct Pass {
        size_t size;     // block size S
        int radix;       // 2: one stage of size S (S = n only); 4: the stages S and S / 2
        size_t twiddles; // offset of its run in m_tw
    };

    // Real (part 0) or imaginary (part 1) part of e^(-2 pi i k / s).
    static float Twiddle(size_t k, size_t s, int part)
    {
        double a = -2.0 * 3.14159265358979323846 * double(k % s) / double(s);
        return float(part == 0 ? std::cos(a) : std::sin(a));
    }

    // Stores (r + i im) * w, w's real parts at w[0..3] and imaginary parts at w[4..7].
    static void Store(float* pr, float* pi, __m128 r, __m128 i, const float* w)
    {
        __m128 wr = _mm_loadu_ps(w), wi = _mm_loadu_ps(w + 4);
        _mm_storeu_ps(pr, _mm_sub_ps(_mm_mul_ps(r, wr), _mm_mul_ps(i, wi)));
        _mm_storeu_ps(pi, _mm_add_ps(_mm_mul_ps(r, wi), _mm_mul_ps(i, wr)));
    }

    // (r + i im) times the conjugate of w.
    static void MulConj(__m128 r, __m128 i, const float* w, __m128& outR, __m128& outI)
    {
        __m128 wr = _mm_loadu_ps(w), wi = _mm_loadu_ps(w + 4);
        outR = _mm_add_ps(_mm_mul_ps(r, wr), _mm_mul_ps(i, wi));
        outI = _mm_sub_ps(_mm_mul_ps(i, wr), _mm_mul_ps(r, wi));
    }

    size_t m_n = 0;
    std::vector<Pass> m_passes; // largest block first
    std::vector<float> m_tw;
};
