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

namespace {

// Each lane of a with its partner: the other half (sizes 8), two along (4) or the neighbour (2).
inline __m256 OtherHalf(__m256 a)
{
    return _mm256_permute2f128_ps(a, a, 1);
}

inline __m256 TwoAlong(__m256 a)
{
    return _mm256_permute_ps(a, _MM_SHUFFLE(1, 0, 3, 2));
}

inline __m256 Neighbour(__m256 a)
{
    return _mm256_permute_ps(a, _MM_SHUFFLE(2, 3, 0, 1));
}

// Eight registers of eight as their transpose: lane j of x[k] becomes lane k of x[j].
inline void Transpose(__m256* x)
{
    __m256 t[8], u[8];
    for (int k = 0; k < 8; k += 2) {
        t[k] = _mm256_unpacklo_ps(x[k], x[k + 1]);
        t[k + 1] = _mm256_unpackhi_ps(x[k], x[k + 1]);
    }
    for (int k = 0; k < 8; k += 4) {
        u[k] = _mm256_shuffle_ps(t[k], t[k + 2], _MM_SHUFFLE(1, 0, 1, 0));
        u[k + 1] = _mm256_shuffle_ps(t[k], t[k + 2], _MM_SHUFFLE(3, 2, 3, 2));
        u[k + 2] = _mm256_shuffle_ps(t[k + 1], t[k + 3], _MM_SHUFFLE(1, 0, 1, 0));
        u[k + 3] = _mm256_shuffle_ps(t[k + 1], t[k + 3], _MM_SHUFFLE(3, 2, 3, 2));
    }
    for (int k = 0; k < 4; ++k) {
        x[k] = _mm256_permute2f128_ps(u[k], u[k + 4], 0x20);
        x[k + 4] = _mm256_permute2f128_ps(u[k], u[k + 4], 0x31);
    }
}

// Eight blocks of eight points at a time, transposed so that register k holds point k of each:
// the stages' butterflies are whole registers, no lane left idle. Returns the floats done (span
// rounded down to 64).
template <class Stages>
size_t Transposed(float* re, float* im, size_t span, Stages stages)
{
    size_t g = 0;
    for (; g + 64 <= span; g += 64) {
        __m256 r[8], i[8];
        for (size_t k = 0; k < 8; ++k) {
            r[k] = _mm256_loadu_ps(re + g + 8 * k);
            i[k] = _mm256_loadu_ps(im + g + 8 * k);
        }
        Transpose(r);
        Transpose(i);
        stages(r, i);
        Transpose(r);
        Transpose(i);
        for (size_t k = 0; k < 8; ++k) {
            _mm256_storeu_ps(re + g + 8 * k, r[k]);
            _mm256_storeu_ps(im + g + 8 * k, i[k]);
        }
    }
    return g;
}

// The four-wide passes' operations, point for point: the last three stages, or (kSize8 false)
// the last two in blocks of four.
template <bool kSize8>
size_t ForwardLastTransposed(float* re, float* im, size_t span, const float* twiddles)
{
    return Transposed(re, im, span, [twiddles](__m256* r, __m256* i) {
        // Size 8: x_k + x_k+4, and (x_k - x_k+4) w^k.
        for (size_t k = 0; k < (kSize8 ? 4 : 0); ++k) {
            const __m256 dr = _mm256_sub_ps(r[k], r[k + 4]), di = _mm256_sub_ps(i[k], i[k + 4]);
            const __m256 wr = _mm256_broadcast_ss(twiddles + k), wi = _mm256_broadcast_ss(twiddles + 4 + k);
            r[k] = _mm256_add_ps(r[k], r[k + 4]);
            i[k] = _mm256_add_ps(i[k], i[k + 4]);
            r[k + 4] = _mm256_sub_ps(_mm256_mul_ps(dr, wr), _mm256_mul_ps(di, wi));
            i[k + 4] = _mm256_add_ps(_mm256_mul_ps(dr, wi), _mm256_mul_ps(di, wr));
        }
        // Sizes 4 and 2 in each half: a0 = x0 + x2, a2 = x0 - x2, a1 = x1 + x3, a3 = (x1 - x3) * -i,
        // then a0 + a1, a0 - a1, a2 + a3, a2 - a3.
        for (size_t h = 0; h < 8; h += 4) {
            __m256 *xr = r + h, *xi = i + h;
            const __m256 a0r = _mm256_add_ps(xr[0], xr[2]), a0i = _mm256_add_ps(xi[0], xi[2]);
            const __m256 a2r = _mm256_sub_ps(xr[0], xr[2]), a2i = _mm256_sub_ps(xi[0], xi[2]);
            const __m256 a1r = _mm256_add_ps(xr[1], xr[3]), a1i = _mm256_add_ps(xi[1], xi[3]);
            const __m256 a3r = _mm256_sub_ps(xi[1], xi[3]), a3i = _mm256_sub_ps(xr[3], xr[1]);
            xr[0] = _mm256_add_ps(a0r, a1r);
            xi[0] = _mm256_add_ps(a0i, a1i);
            xr[1] = _mm256_sub_ps(a0r, a1r);
            xi[1] = _mm256_sub_ps(a0i, a1i);
            xr[2] = _mm256_add_ps(a2r, a3r);
            xi[2] = _mm256_add_ps(a2i, a3i);
            xr[3] = _mm256_sub_ps(a2r, a3r);
            xi[3] = _mm256_sub_ps(a2i, a3i);
        }
    });
}

template <bool kSize8>
size_t InverseFirstTransposed(float* re, float* im, size_t span, const float* twiddles)
{
    return Transposed(re, im, span, [twiddles](__m256* r, __m256* i) {
        const __m256 zero = _mm256_setzero_ps();
        // Sizes 2 and 4 in each half: b0 = x0 + x1, b1 = x0 - x1, b2 = x2 + x3, b3 = x2 - x3,
        // t = b3 i, then b0 + b2, b1 + t, b0 - b2, b1 - t.
        for (size_t h = 0; h < 8; h += 4) {
            __m256 *xr = r + h, *xi = i + h;
            const __m256 b0r = _mm256_add_ps(xr[0], xr[1]), b0i = _mm256_add_ps(xi[0], xi[1]);
            const __m256 b1r = _mm256_sub_ps(xr[0], xr[1]), b1i = _mm256_sub_ps(xi[0], xi[1]);
            const __m256 b2r = _mm256_add_ps(xr[2], xr[3]), b2i = _mm256_add_ps(xi[2], xi[3]);
            const __m256 b3r = _mm256_sub_ps(xr[2], xr[3]), b3i = _mm256_sub_ps(xi[2], xi[3]);
            const __m256 tr = _mm256_sub_ps(zero, b3i), ti = b3r;
            xr[0] = _mm256_add_ps(b0r, b2r);
            xi[0] = _mm256_add_ps(b0i, b2i);
            xr[1] = _mm256_add_ps(b1r, tr);
            xi[1] = _mm256_add_ps(b1i, ti);
            xr[2] = _mm256_sub_ps(b0r, b2r);
            xi[2] = _mm256_sub_ps(b0i, b2i);
            xr[3] = _mm256_sub_ps(b1r, tr);
            xi[3] = _mm256_sub_ps(b1i, ti);
        }
        // Size 8: x_k + x_k+4 conj(w^k), x_k - x_k+4 conj(w^k).
        for (size_t k = 0; k < (kSize8 ? 4 : 0); ++k) {
            const __m256 wr = _mm256_broadcast_ss(twiddles + k), wi = _mm256_broadcast_ss(twiddles + 4 + k);
            const __m256 tr = _mm256_add_ps(_mm256_mul_ps(r[k + 4], wr), _mm256_mul_ps(i[k + 4], wi));
            const __m256 ti = _mm256_sub_ps(_mm256_mul_ps(i[k + 4], wr), _mm256_mul_ps(r[k + 4], wi));
            r[k + 4] = _mm256_sub_ps(r[k], tr);
            i[k + 4] = _mm256_sub_ps(i[k], ti);
            r[k] = _mm256_add_ps(r[k], tr);
            i[k] = _mm256_add_ps(i[k], ti);
        }
    });
}

} // namespace

// Each lane computes what the four-wide passes compute for its point, operands in their order,
// so the results are theirs bit for bit (x - y is not -(y - x) where x = y: the zeros' signs).
void ForwardLast3(float* re, float* im, size_t span, const float* twiddles)
{
    // w^j in the upper half, for points 4 .. 7.
    const __m256 wr = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(twiddles));
    const __m256 wi = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(twiddles + 4));
    for (size_t g = ForwardLastTransposed<true>(re, im, span, twiddles); g < span; g += 8) {
        __m256 r = _mm256_loadu_ps(re + g), i = _mm256_loadu_ps(im + g);
        // Size 8: x_j + x_j+4 below, (x_j - x_j+4) w^j above.
        __m256 sr = OtherHalf(r), si = OtherHalf(i);
        const __m256 dr = _mm256_sub_ps(sr, r), di = _mm256_sub_ps(si, i);
        const __m256 tr = _mm256_sub_ps(_mm256_mul_ps(dr, wr), _mm256_mul_ps(di, wi));
        const __m256 ti = _mm256_add_ps(_mm256_mul_ps(dr, wi), _mm256_mul_ps(di, wr));
        r = _mm256_blend_ps(_mm256_add_ps(r, sr), tr, 0xf0);
        i = _mm256_blend_ps(_mm256_add_ps(i, si), ti, 0xf0);
        // Size 4, per four: x0 + x2, x1 + x3, x0 - x2, (x1 - x3) * -i.
        sr = TwoAlong(r);
        si = TwoAlong(i);
        const __m256 ar = _mm256_add_ps(r, sr), ai = _mm256_add_ps(i, si);
        const __m256 br = _mm256_sub_ps(sr, r), bi = _mm256_sub_ps(si, i), cr = _mm256_sub_ps(r, sr);
        r = _mm256_blend_ps(_mm256_blend_ps(ar, br, 0x44), bi, 0x88);
        i = _mm256_blend_ps(_mm256_blend_ps(ai, bi, 0x44), cr, 0x88);
        // Size 2: a0 + a1, a0 - a1, a2 + a3, a2 - a3.
        sr = Neighbour(r);
        si = Neighbour(i);
        _mm256_storeu_ps(re + g, _mm256_blend_ps(_mm256_add_ps(r, sr), _mm256_sub_ps(sr, r), 0xaa));
        _mm256_storeu_ps(im + g, _mm256_blend_ps(_mm256_add_ps(i, si), _mm256_sub_ps(si, i), 0xaa));
    }
}

void InverseFirst3(float* re, float* im, size_t span, const float* twiddles)
{
    const __m256 wr = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(twiddles));
    const __m256 wi = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(twiddles + 4));
    const __m256 zero = _mm256_setzero_ps();
    for (size_t g = InverseFirstTransposed<true>(re, im, span, twiddles); g < span; g += 8) {
        __m256 r = _mm256_loadu_ps(re + g), i = _mm256_loadu_ps(im + g);
        // Size 2: x0 + x1, x0 - x1, x2 + x3, x2 - x3.
        __m256 sr = Neighbour(r), si = Neighbour(i);
        r = _mm256_blend_ps(_mm256_add_ps(r, sr), _mm256_sub_ps(sr, r), 0xaa);
        i = _mm256_blend_ps(_mm256_add_ps(i, si), _mm256_sub_ps(si, i), 0xaa);
        // Size 4: b3 times i, then b0 + b2, b1 + b3 i, b0 - b2, b1 - b3 i.
        const __m256 turned = _mm256_sub_ps(zero, i);
        i = _mm256_blend_ps(i, r, 0x88);
        r = _mm256_blend_ps(r, turned, 0x88);
        sr = TwoAlong(r);
        si = TwoAlong(i);
        r = _mm256_blend_ps(_mm256_add_ps(r, sr), _mm256_sub_ps(sr, r), 0xcc);
        i = _mm256_blend_ps(_mm256_add_ps(i, si), _mm256_sub_ps(si, i), 0xcc);
        // Size 8: x_j + x_j+4 conj(w^j), x_j - x_j+4 conj(w^j).
        const __m256 tr = _mm256_add_ps(_mm256_mul_ps(r, wr), _mm256_mul_ps(i, wi));
        const __m256 ti = _mm256_sub_ps(_mm256_mul_ps(i, wr), _mm256_mul_ps(r, wi));
        r = _mm256_blend_ps(r, tr, 0xf0);
        i = _mm256_blend_ps(i, ti, 0xf0);
        sr = OtherHalf(r);
        si = OtherHalf(i);
        _mm256_storeu_ps(re + g, _mm256_blend_ps(_mm256_add_ps(r, sr), _mm256_sub_ps(sr, r), 0xf0));
        _mm256_storeu_ps(im + g, _mm256_blend_ps(_mm256_add_ps(i, si), _mm256_sub_ps(si, i), 0xf0));
    }
}

size_t ForwardLast2(float* re, float* im, size_t span)
{
    return ForwardLastTransposed<false>(re, im, span, nullptr);
}

size_t InverseFirst2(float* re, float* im, size_t span)
{
    return InverseFirstTransposed<false>(re, im, span, nullptr);
}

} // namespace fxkit::wide
