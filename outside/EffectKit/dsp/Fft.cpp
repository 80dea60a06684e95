#include "Fft.h"

#include <cmath>
#include <emmintrin.h>

namespace fxkit {

namespace {

// Interleaved: one complex number per register, (real, imaginary).
const __m128d kNegImag = _mm_set_pd(-0.0, 0.0);
const __m128d kNegReal = _mm_set_pd(0.0, -0.0);

inline __m128d Swap(__m128d a)
{
    return _mm_shuffle_pd(a, a, 1);
}

// a times the twiddle whose parts are at re and im.
inline __m128d Mul(__m128d a, const double* re, const double* im)
{
    return _mm_add_pd(_mm_mul_pd(a, _mm_load1_pd(re)), _mm_xor_pd(_mm_mul_pd(Swap(a), _mm_load1_pd(im)), kNegReal));
}

inline __m128d MulConj(__m128d a, const double* re, const double* im)
{
    return _mm_add_pd(_mm_mul_pd(a, _mm_load1_pd(re)), _mm_xor_pd(_mm_mul_pd(Swap(a), _mm_load1_pd(im)), kNegImag));
}

inline __m128d TimesI(__m128d a)
{
    return _mm_xor_pd(Swap(a), kNegReal);
}

inline __m128d TimesMinusI(__m128d a)
{
    return _mm_xor_pd(Swap(a), kNegImag);
}

// Split: two butterflies' worth per register, real parts and imaginary parts apart.
struct Pair {
    __m128d re, im;
};

inline Pair Load(const double* re, const double* im, size_t i)
{
    return {_mm_loadu_pd(re + i), _mm_loadu_pd(im + i)};
}

inline void Store(double* re, double* im, size_t i, Pair v)
{
    _mm_storeu_pd(re + i, v.re);
    _mm_storeu_pd(im + i, v.im);
}

inline Pair Add(Pair a, Pair b)
{
    return {_mm_add_pd(a.re, b.re), _mm_add_pd(a.im, b.im)};
}

inline Pair Sub(Pair a, Pair b)
{
    return {_mm_sub_pd(a.re, b.re), _mm_sub_pd(a.im, b.im)};
}

// w: the real parts of two twiddles, then their imaginary parts.
inline Pair Mul(Pair a, const double* w)
{
    const __m128d wr = _mm_loadu_pd(w), wi = _mm_loadu_pd(w + 2);
    return {_mm_sub_pd(_mm_mul_pd(a.re, wr), _mm_mul_pd(a.im, wi)),
            _mm_add_pd(_mm_mul_pd(a.re, wi), _mm_mul_pd(a.im, wr))};
}

inline Pair MulConj(Pair a, const double* w)
{
    const __m128d wr = _mm_loadu_pd(w), wi = _mm_loadu_pd(w + 2);
    return {_mm_add_pd(_mm_mul_pd(a.re, wr), _mm_mul_pd(a.im, wi)),
            _mm_sub_pd(_mm_mul_pd(a.im, wr), _mm_mul_pd(a.re, wi))};
}

// The bin a position of the scrambled order holds: each radix-4 stage leaves residue r of the
// bins in the r-th quarter of its block.
size_t BinAt(size_t position, size_t length)
{
    if (length == 1)
        return 0;
    const size_t radix = length >= 4 ? 4 : 2, part = length / radix;
    return position / part + radix * BinAt(position % part, part);
}

} // namespace

Fft::Fft(size_t size) : m_size(size)
{
    const double pi = 3.14159265358979323846;
    // Every twiddle is w^j of the whole size for some j <= 3 size / 4. Cosine and sine of
    // 2 pi j / size: computed up to an eighth of the turn, the rest by symmetry (the library's
    // sine and cosine are slow, and the transform is built whenever a filter is).
    const size_t count = 3 * size / 4 + 1, eighthTurn = size / 8, quarterTurn = size / 4;
    std::vector<double> cosine(count), sine(count);
    for (size_t j = 0; j < count; ++j) {
        if (j <= eighthTurn || size < 8) {
            const double angle = 2.0 * pi * double(j) / double(size);
            cosine[j] = std::cos(angle);
            sine[j] = std::sin(angle);
        } else if (j <= quarterTurn) {
            cosine[j] = sine[quarterTurn - j];
            sine[j] = cosine[quarterTurn - j];
        } else {
            cosine[j] = -sine[j - quarterTurn];
            sine[j] = cosine[j - quarterTurn];
        }
    }
    for (size_t length = size; length >= 4; length /= 4) {
        m_stageOffsets.push_back(m_twiddles.size());
        const size_t quarter = length / 4, step = size / length;
        if (quarter == 1)
            continue; // all ones
        for (size_t k = 0; k < quarter; k += 2)
            for (size_t m = 1; m <= 3; ++m)
                m_twiddles.insert(m_twiddles.end(), {cosine[k * m * step], cosine[(k + 1) * m * step],
                                                     -sine[k * m * step], -sine[(k + 1) * m * step]});
    }
    // Swaps that carry each bin from its scrambled position to its own.
    std::vector<uint32_t> at(size), where(size), from(size);
    for (size_t p = 0; p < size; ++p) {
        at[p] = where[p] = uint32_t(p);
        from[BinAt(p, size)] = uint32_t(p);
    }
    for (size_t bin = 0; bin < size; ++bin) {
        if (at[bin] == from[bin])
            continue;
        const uint32_t other = where[from[bin]];
        m_swaps.emplace_back(uint32_t(bin), other);
        std::swap(at[bin], at[other]);
        where[at[bin]] = uint32_t(bin);
        where[at[other]] = other;
    }
}

// ---- interleaved ----

void Fft::ForwardScrambled(double* d) const
{
    size_t length = m_size, stage = 0;
    for (; length >= 4; length /= 4, ++stage) {
        const size_t q = length / 4;
        const double* tw = m_twiddles.data() + m_stageOffsets[stage];
        for (size_t start = 0; start < m_size; start += length) {
            double* a = d + 2 * start;
            for (size_t k = 0; k < q; ++k) {
                const __m128d x0 = _mm_loadu_pd(a + 2 * k), x1 = _mm_loadu_pd(a + 2 * (k + q));
                const __m128d x2 = _mm_loadu_pd(a + 2 * (k + 2 * q)), x3 = _mm_loadu_pd(a + 2 * (k + 3 * q));
                const __m128d t0 = _mm_add_pd(x0, x2), t1 = _mm_sub_pd(x0, x2);
                const __m128d t2 = _mm_add_pd(x1, x3), t3 = TimesMinusI(_mm_sub_pd(x1, x3));
                _mm_storeu_pd(a + 2 * k, _mm_add_pd(t0, t2));
                if (q == 1) {
                    _mm_storeu_pd(a + 2 * (k + q), _mm_add_pd(t1, t3));
                    _mm_storeu_pd(a + 2 * (k + 2 * q), _mm_sub_pd(t0, t2));
                    _mm_storeu_pd(a + 2 * (k + 3 * q), _mm_sub_pd(t1, t3));
                } else {
                    const double* w = tw + 12 * (k / 2) + k % 2;
                    _mm_storeu_pd(a + 2 * (k + q), Mul(_mm_add_pd(t1, t3), w, w + 2));
                    _mm_storeu_pd(a + 2 * (k + 2 * q), Mul(_mm_sub_pd(t0, t2), w + 4, w + 6));
                    _mm_storeu_pd(a + 2 * (k + 3 * q), Mul(_mm_sub_pd(t1, t3), w + 8, w + 10));
                }
            }
        }
    }
    if (length == 2)
        for (size_t i = 0; i < m_size; i += 2) {
            const __m128d x0 = _mm_loadu_pd(d + 2 * i), x1 = _mm_loadu_pd(d + 2 * i + 2);
            _mm_storeu_pd(d + 2 * i, _mm_add_pd(x0, x1));
            _mm_storeu_pd(d + 2 * i + 2, _mm_sub_pd(x0, x1));
        }
}

// The forward stages undone in reverse order, each conjugated and transposed.
void Fft::InverseScrambled(double* d) const
{
    const size_t stages = m_stageOffsets.size();
    if (m_size >> (2 * stages) == 2)
        for (size_t i = 0; i < m_size; i += 2) {
            const __m128d x0 = _mm_loadu_pd(d + 2 * i), x1 = _mm_loadu_pd(d + 2 * i + 2);
            _mm_storeu_pd(d + 2 * i, _mm_add_pd(x0, x1));
            _mm_storeu_pd(d + 2 * i + 2, _mm_sub_pd(x0, x1));
        }
    size_t length = m_size >> (2 * stages);
    for (size_t stage = stages; stage-- > 0;) {
        length *= 4;
        const size_t q = length / 4;
        const double* tw = m_twiddles.data() + m_stageOffsets[stage];
        for (size_t start = 0; start < m_size; start += length) {
            double* a = d + 2 * start;
            for (size_t k = 0; k < q; ++k) {
                __m128d y0 = _mm_loadu_pd(a + 2 * k), y1 = _mm_loadu_pd(a + 2 * (k + q));
                __m128d y2 = _mm_loadu_pd(a + 2 * (k + 2 * q)), y3 = _mm_loadu_pd(a + 2 * (k + 3 * q));
                if (q != 1) {
                    const double* w = tw + 12 * (k / 2) + k % 2;
                    y1 = MulConj(y1, w, w + 2);
                    y2 = MulConj(y2, w + 4, w + 6);
                    y3 = MulConj(y3, w + 8, w + 10);
                }
                const __m128d s0 = _mm_add_pd(y0, y2), s1 = _mm_sub_pd(y0, y2);
                const __m128d s2 = _mm_add_pd(y1, y3), s3 = TimesI(_mm_sub_pd(y1, y3));
                _mm_storeu_pd(a + 2 * k, _mm_add_pd(s0, s2));
                _mm_storeu_pd(a + 2 * (k + q), _mm_add_pd(s1, s3));
                _mm_storeu_pd(a + 2 * (k + 2 * q), _mm_sub_pd(s0, s2));
                _mm_storeu_pd(a + 2 * (k + 3 * q), _mm_sub_pd(s1, s3));
            }
        }
    }
}

void Fft::Forward(std::complex<double>* data) const
{
    ForwardScrambled(reinterpret_cast<double*>(data));
    for (const auto& s : m_swaps)
        std::swap(data[s.first], data[s.second]);
}

void Fft::Inverse(std::complex<double>* data) const
{
    for (auto s = m_swaps.rbegin(); s != m_swaps.rend(); ++s)
        std::swap(data[s->first], data[s->second]);
    InverseScrambled(reinterpret_cast<double*>(data));
    const double scale = 1.0 / double(m_size);
    for (size_t i = 0; i < m_size; ++i)
        data[i] *= scale;
}

// ---- split ----
// Depth-first: past the first stages each quarter is finished before the next, so that the
// work stays in the cache of a core instead of streaming the whole array through every stage.

namespace {

// Blocks of at most this many points take their remaining stages one after another.
constexpr size_t kInCache = 1024;

} // namespace

void Fft::ForwardSplit(double* re, double* im) const
{
    ForwardSplitBlock(re, im, m_size, 0);
}

void Fft::InverseSplit(double* re, double* im) const
{
    InverseSplitBlock(re, im, m_size, 0);
}

void Fft::ConvolveSplit(double* re, double* im, const double* kernelRe, const double* kernelIm) const
{
    ConvolveSplitBlock(re, im, kernelRe, kernelIm, m_size, 0);
}

void Fft::ConvolveSplitBlock(double* re, double* im, const double* kernelRe, const double* kernelIm, size_t length,
                             size_t stage) const
{
    if (length > kInCache) {
        ForwardSplitStage(re, im, length, length, stage);
        const size_t q = length / 4;
        for (size_t j = 0; j < 4; ++j)
            ConvolveSplitBlock(re + j * q, im + j * q, kernelRe + j * q, kernelIm + j * q, q, stage + 1);
        InverseSplitStage(re, im, length, length, stage);
        return;
    }
    ForwardSplitBlock(re, im, length, stage);
    if (length == 2)
        for (size_t k = 0; k < 2; ++k) {
            const double r = re[k] * kernelRe[k] - im[k] * kernelIm[k];
            im[k] = re[k] * kernelIm[k] + im[k] * kernelRe[k];
            re[k] = r;
        }
    else
        for (size_t k = 0; k < length; k += 2) {
            const Pair a = Load(re, im, k);
            const __m128d br = _mm_loadu_pd(kernelRe + k), bi = _mm_loadu_pd(kernelIm + k);
            Store(re, im, k,
                  {_mm_sub_pd(_mm_mul_pd(a.re, br), _mm_mul_pd(a.im, bi)),
                   _mm_add_pd(_mm_mul_pd(a.re, bi), _mm_mul_pd(a.im, br))});
        }
    InverseSplitBlock(re, im, length, stage);
}

void Fft::ForwardSplitStage(double* re, double* im, size_t span, size_t length, size_t stage) const
{
    const size_t q = length / 4;
    const double* tw = m_twiddles.data() + m_stageOffsets[stage];
    for (size_t start = 0; start < span; start += length) {
        double *r = re + start, *i = im + start;
        for (size_t k = 0; k < q; k += 2) {
            const Pair x0 = Load(r, i, k), x1 = Load(r, i, k + q);
            const Pair x2 = Load(r, i, k + 2 * q), x3 = Load(r, i, k + 3 * q);
            const Pair t0 = Add(x0, x2), t1 = Sub(x0, x2), t2 = Add(x1, x3), d = Sub(x1, x3);
            // t1 - i d and t1 + i d
            const Pair y1 = {_mm_add_pd(t1.re, d.im), _mm_sub_pd(t1.im, d.re)};
            const Pair y3 = {_mm_sub_pd(t1.re, d.im), _mm_add_pd(t1.im, d.re)};
            const double* w = tw + 6 * k;
            Store(r, i, k, Add(t0, t2));
            Store(r, i, k + q, Mul(y1, w));
            Store(r, i, k + 2 * q, Mul(Sub(t0, t2), w + 4));
            Store(r, i, k + 3 * q, Mul(y3, w + 8));
        }
    }
}

void Fft::InverseSplitStage(double* re, double* im, size_t span, size_t length, size_t stage) const
{
    const size_t q = length / 4;
    const double* tw = m_twiddles.data() + m_stageOffsets[stage];
    for (size_t start = 0; start < span; start += length) {
        double *r = re + start, *i = im + start;
        for (size_t k = 0; k < q; k += 2) {
            const double* w = tw + 6 * k;
            const Pair y0 = Load(r, i, k), y1 = MulConj(Load(r, i, k + q), w);
            const Pair y2 = MulConj(Load(r, i, k + 2 * q), w + 4), y3 = MulConj(Load(r, i, k + 3 * q), w + 8);
            const Pair s0 = Add(y0, y2), s1 = Sub(y0, y2), s2 = Add(y1, y3), d = Sub(y1, y3);
            Store(r, i, k, Add(s0, s2));
            // s1 + i d and s1 - i d
            Store(r, i, k + q, {_mm_sub_pd(s1.re, d.im), _mm_add_pd(s1.im, d.re)});
            Store(r, i, k + 2 * q, Sub(s0, s2));
            Store(r, i, k + 3 * q, {_mm_add_pd(s1.re, d.im), _mm_sub_pd(s1.im, d.re)});
        }
    }
}

namespace {

void SplitRadix2(double* re, double* im, size_t span)
{
    for (size_t p = 0; p < span; p += 2) {
        const double r = re[p + 1], i = im[p + 1];
        re[p + 1] = re[p] - r;
        im[p + 1] = im[p] - i;
        re[p] += r;
        im[p] += i;
    }
}

// Butterflies of four neighbours without twiddles, as register pairs (0, 1) and (2, 3); the
// forward one multiplies the difference by -i, the inverse by i.
template <bool inverse>
void SplitLastRadix4(double* re, double* im, size_t span)
{
    const __m128d negHigh = _mm_set_pd(-0.0, 0.0);
    for (size_t start = 0; start < span; start += 4) {
        const Pair lo = Load(re, im, start), hi = Load(re, im, start + 2);
        const Pair a = Add(lo, hi), b = Sub(lo, hi); // (0 + 2, 1 + 3), (0 - 2, 1 - 3)
        const Pair c = {_mm_unpacklo_pd(a.re, b.re), _mm_unpacklo_pd(a.im, b.im)};
        const __m128d er = _mm_shuffle_pd(a.re, b.im, 3), ei = _mm_shuffle_pd(a.im, b.re, 3);
        const Pair e = inverse ? Pair{_mm_xor_pd(er, negHigh), ei} : Pair{er, _mm_xor_pd(ei, negHigh)};
        Store(re, im, start, Add(c, e));
        Store(re, im, start + 2, Sub(c, e));
    }
}

} // namespace

void Fft::ForwardSplitBlock(double* re, double* im, size_t length, size_t stage) const
{
    if (length > kInCache) {
        ForwardSplitStage(re, im, length, length, stage);
        for (size_t j = 0; j < 4; ++j)
            ForwardSplitBlock(re + j * length / 4, im + j * length / 4, length / 4, stage + 1);
        return;
    }
    const size_t span = length;
    for (; length >= 8; length /= 4, ++stage)
        ForwardSplitStage(re, im, span, length, stage);
    if (length == 4)
        SplitLastRadix4<false>(re, im, span);
    else if (length == 2)
        SplitRadix2(re, im, span);
}

void Fft::InverseSplitBlock(double* re, double* im, size_t length, size_t stage) const
{
    if (length > kInCache) {
        for (size_t j = 0; j < 4; ++j)
            InverseSplitBlock(re + j * length / 4, im + j * length / 4, length / 4, stage + 1);
        InverseSplitStage(re, im, length, length, stage);
        return;
    }
    // The stages of this block, smallest first.
    size_t smallest = length, last = stage;
    for (; smallest >= 8; smallest /= 4)
        ++last;
    if (smallest == 4)
        SplitLastRadix4<true>(re, im, length);
    else if (smallest == 2)
        SplitRadix2(re, im, length);
    for (size_t l = smallest * 4; l <= length; l *= 4)
        InverseSplitStage(re, im, length, l, --last);
}

} // namespace fxkit
