#include "Fft.h"

#include "FftWide.h"
#include "StockhamFft.h"

#include <atomic>
#include <cmath>
#include <emmintrin.h>
#include <type_traits>

namespace fxkit {

namespace wide {

namespace {

// Unknown, off, on. Checked here, outside the AVX code.
std::atomic<int> g_state{-1};

bool Supported()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

} // namespace

bool Enabled()
{
    int state = g_state.load(std::memory_order_relaxed);
    if (state < 0)
        g_state.store(state = Supported() ? 1 : 0, std::memory_order_relaxed);
    return state == 1;
}

void Enable(bool on)
{
    g_state.store(on && Supported() ? 1 : 0, std::memory_order_relaxed);
}

} // namespace wide

namespace {

// One SSE register of T: four floats or two doubles, the butterflies a register holds.
template <class T>
struct Vec;

template <>
struct Vec<float> {
    using V = __m128;
    static constexpr size_t kWidth = 4;
    static V Load(const float* p) { return _mm_loadu_ps(p); }
    static void Store(float* p, V v) { _mm_storeu_ps(p, v); }
    static V Add(V a, V b) { return _mm_add_ps(a, b); }
    static V Sub(V a, V b) { return _mm_sub_ps(a, b); }
    static V Mul(V a, V b) { return _mm_mul_ps(a, b); }
};

template <>
struct Vec<double> {
    using V = __m128d;
    static constexpr size_t kWidth = 2;
    static V Load(const double* p) { return _mm_loadu_pd(p); }
    static void Store(double* p, V v) { _mm_storeu_pd(p, v); }
    static V Add(V a, V b) { return _mm_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
};

// Blocks of at most this many bytes (both parts) take their remaining stages one after
// another; larger ones are finished quarter by quarter, so the work stays in a core's cache.
constexpr size_t kInCacheBytes = 16384;

// (r + i i) times w, w's real parts at w[0 .. W) and imaginary parts at w[W .. 2W); stored.
template <class T>
inline void StoreMul(T* pr, T* pi, typename Vec<T>::V r, typename Vec<T>::V i, const T* w)
{
    using S = Vec<T>;
    const auto wr = S::Load(w), wi = S::Load(w + S::kWidth);
    S::Store(pr, S::Sub(S::Mul(r, wr), S::Mul(i, wi)));
    S::Store(pi, S::Add(S::Mul(r, wi), S::Mul(i, wr)));
}

// (r + i i) times the conjugate of w.
template <class T>
inline void MulConj(typename Vec<T>::V r, typename Vec<T>::V i, const T* w, typename Vec<T>::V& outR,
                    typename Vec<T>::V& outI)
{
    using S = Vec<T>;
    const auto wr = S::Load(w), wi = S::Load(w + S::kWidth);
    outR = S::Add(S::Mul(r, wr), S::Mul(i, wi));
    outI = S::Sub(S::Mul(i, wr), S::Mul(r, wi));
}

// The last two stages (sizes 4 and 2) of every group of four, and the first two of the
// inverse: per type, as the lanes of a register allow.

// Float: four groups at a time, transposed so that vector k holds element k of each group.
struct Groups {
    __m128 r[4], i[4];
};

inline Groups LoadGroups(const float* re, const float* im, size_t g)
{
    Groups x;
    for (int k = 0; k < 4; ++k) {
        x.r[k] = _mm_loadu_ps(re + g + 4 * size_t(k));
        x.i[k] = _mm_loadu_ps(im + g + 4 * size_t(k));
    }
    _MM_TRANSPOSE4_PS(x.r[0], x.r[1], x.r[2], x.r[3]);
    _MM_TRANSPOSE4_PS(x.i[0], x.i[1], x.i[2], x.i[3]);
    return x;
}

inline void StoreGroups(float* re, float* im, size_t g, Groups x)
{
    _MM_TRANSPOSE4_PS(x.r[0], x.r[1], x.r[2], x.r[3]);
    _MM_TRANSPOSE4_PS(x.i[0], x.i[1], x.i[2], x.i[3]);
    for (int k = 0; k < 4; ++k) {
        _mm_storeu_ps(re + g + 4 * size_t(k), x.r[k]);
        _mm_storeu_ps(im + g + 4 * size_t(k), x.i[k]);
    }
}

void ForwardLast(float* re, float* im, size_t span)
{
    for (size_t g = 0; g < span; g += 16) {
        const Groups x = LoadGroups(re, im, g);
        // Size 4: a0 = x0 + x2, a2 = x0 - x2, a1 = x1 + x3, a3 = (x1 - x3) * -i.
        const __m128 a0r = _mm_add_ps(x.r[0], x.r[2]), a0i = _mm_add_ps(x.i[0], x.i[2]);
        const __m128 a2r = _mm_sub_ps(x.r[0], x.r[2]), a2i = _mm_sub_ps(x.i[0], x.i[2]);
        const __m128 a1r = _mm_add_ps(x.r[1], x.r[3]), a1i = _mm_add_ps(x.i[1], x.i[3]);
        const __m128 a3r = _mm_sub_ps(x.i[1], x.i[3]), a3i = _mm_sub_ps(x.r[3], x.r[1]);
        // Size 2.
        StoreGroups(re, im, g,
                    {{_mm_add_ps(a0r, a1r), _mm_sub_ps(a0r, a1r), _mm_add_ps(a2r, a3r), _mm_sub_ps(a2r, a3r)},
                     {_mm_add_ps(a0i, a1i), _mm_sub_ps(a0i, a1i), _mm_add_ps(a2i, a3i), _mm_sub_ps(a2i, a3i)}});
    }
}

void InverseFirst(float* re, float* im, size_t span)
{
    for (size_t g = 0; g < span; g += 16) {
        const Groups x = LoadGroups(re, im, g);
        // Size 2.
        const __m128 b0r = _mm_add_ps(x.r[0], x.r[1]), b0i = _mm_add_ps(x.i[0], x.i[1]);
        const __m128 b1r = _mm_sub_ps(x.r[0], x.r[1]), b1i = _mm_sub_ps(x.i[0], x.i[1]);
        const __m128 b2r = _mm_add_ps(x.r[2], x.r[3]), b2i = _mm_add_ps(x.i[2], x.i[3]);
        const __m128 b3r = _mm_sub_ps(x.r[2], x.r[3]), b3i = _mm_sub_ps(x.i[2], x.i[3]);
        // Size 4: t = b3 * i.
        const __m128 tr = _mm_sub_ps(_mm_setzero_ps(), b3i), ti = b3r;
        StoreGroups(re, im, g,
                    {{_mm_add_ps(b0r, b2r), _mm_add_ps(b1r, tr), _mm_sub_ps(b0r, b2r), _mm_sub_ps(b1r, tr)},
                     {_mm_add_ps(b0i, b2i), _mm_add_ps(b1i, ti), _mm_sub_ps(b0i, b2i), _mm_sub_ps(b1i, ti)}});
    }
}

// Double: a group is two registers, elements (0, 1) and (2, 3), and its two stages are one
// butterfly of four; the group's bins come out in their natural order, not bit-reversed.
template <bool inverse>
void LastFour(double* re, double* im, size_t span)
{
    const __m128d negHigh = _mm_set_pd(-0.0, 0.0);
    for (size_t g = 0; g < span; g += 4) {
        const __m128d lr = _mm_loadu_pd(re + g), hr = _mm_loadu_pd(re + g + 2);
        const __m128d li = _mm_loadu_pd(im + g), hi = _mm_loadu_pd(im + g + 2);
        const __m128d ar = _mm_add_pd(lr, hr), ai = _mm_add_pd(li, hi); // (0 + 2, 1 + 3)
        const __m128d br = _mm_sub_pd(lr, hr), bi = _mm_sub_pd(li, hi); // (0 - 2, 1 - 3)
        const __m128d cr = _mm_unpacklo_pd(ar, br), ci = _mm_unpacklo_pd(ai, bi);
        // (1 + 3, (1 - 3) times -i, or i for the inverse)
        const __m128d er = _mm_shuffle_pd(ar, bi, 3), ei = _mm_shuffle_pd(ai, br, 3);
        const __m128d fr = inverse ? _mm_xor_pd(er, negHigh) : er, fi = inverse ? ei : _mm_xor_pd(ei, negHigh);
        _mm_storeu_pd(re + g, _mm_add_pd(cr, fr));
        _mm_storeu_pd(im + g, _mm_add_pd(ci, fi));
        _mm_storeu_pd(re + g + 2, _mm_sub_pd(cr, fr));
        _mm_storeu_pd(im + g + 2, _mm_sub_pd(ci, fi));
    }
}

void ForwardLast(double* re, double* im, size_t span)
{
    LastFour<false>(re, im, span);
}

void InverseFirst(double* re, double* im, size_t span)
{
    LastFour<true>(re, im, span);
}

// The bin at a position: the bit reversal; in double, a group of four holds its bins in order.
template <class T>
uint32_t BinOf(uint32_t p, size_t size)
{
    uint32_t r = 0;
    for (size_t bit = 1; bit < size; bit <<= 1, p >>= 1)
        r = (r << 1) | (p & 1);
    if (sizeof(T) == 8 && size >= 16) {
        const uint32_t half = uint32_t(size / 2), quarter = uint32_t(size / 4);
        const uint32_t top = r & (half | quarter);
        r = (r & ~(half | quarter)) | (top == half ? quarter : top == quarter ? half : top);
    }
    return r;
}

} // namespace

template <class T>
BasicFft<T>::BasicFft(size_t size)
{
    Resize(size);
}

template <class T>
void BasicFft<T>::Resize(size_t size)
{
    if (size == m_size)
        return;
    m_size = size;
    if constexpr (std::is_same_v<T, double>) {
        m_stockham = &StockhamFft::ForSize(size);
        m_scratch.resize(2 * size);
    }
    const double pi = 3.14159265358979323846;
    // Cosine and sine of 2 pi j / size for j < size: up to an eighth of the turn from the
    // library, the rest by symmetry (the library's are slow, and a transform is made whenever a
    // filter is).
    const size_t eighth = size / 8, quarter = size / 4, half = size / 2;
    std::vector<double> c(size), s(size);
    for (size_t j = 0; j < size; ++j) {
        if (j <= eighth || size < 8) {
            c[j] = std::cos(2.0 * pi * double(j) / double(size));
            s[j] = std::sin(2.0 * pi * double(j) / double(size));
        } else if (j <= quarter) {
            c[j] = s[quarter - j];
            s[j] = c[quarter - j];
        } else if (j <= half) {
            c[j] = -c[half - j];
            s[j] = s[half - j];
        } else {
            c[j] = c[size - j];
            s[j] = -s[size - j];
        }
    }
    m_passes.clear();
    m_twiddles.clear();
    m_wideTwiddles.clear();
    m_cos.clear();
    m_sin.clear();
    m_bins.resize(size);
    m_positions.resize(size);
    for (size_t p = 0; p < size; ++p) {
        m_bins[p] = BinOf<T>(uint32_t(p), size);
        m_positions[m_bins[p]] = uint32_t(p);
    }
    m_re.assign(size, T(0));
    m_im.assign(size, T(0));
    if (size < 16) {
        m_cos = c;
        m_sin = s;
        return;
    }
    // e^(-2 pi i m / block), as an index into the tables.
    const auto add = [&](size_t block, size_t m) {
        const size_t j = m * (size / block) % size;
        return std::make_pair(T(c[j]), T(-s[j]));
    };
    constexpr size_t W = Vec<T>::kWidth;
    size_t stages = 0; // of sizes 8 and up, which the passes take
    for (size_t b = size; b >= 8; b /= 2)
        ++stages;
    // Pairs of stages from the top; an odd one out is the stage of size 8, which runs in the
    // cache: the passes over blocks larger than the cache are all of the pairs.
    // Per `width` butterflies: w^k, w^2k, w^3k (radix 4) or w^k, each as `width` real parts then
    // `width` imaginary parts.
    const auto table = [&](auto& to, size_t width, size_t block, size_t radix) {
        const size_t offset = to.size();
        for (size_t j = 0; j < block / radix; j += width)
            for (size_t power = 1; power <= radix - 1; ++power)
                for (int part = 0; part < 2; ++part)
                    for (size_t k = j; k < j + width; ++k)
                        to.push_back(part ? add(block, k * power).second : add(block, k * power).first);
        return offset;
    };
    // The float passes wide enough for eight butterflies get a table for them as well.
    const auto wideTable = [&](size_t block, size_t radix) {
        if (sizeof(T) != sizeof(float) || block / radix % wide::kWidth != 0)
            return kNoWide;
        return table(m_wideTwiddles, wide::kWidth, block, radix);
    };
    size_t block = size;
    for (size_t pairs = stages / 2; pairs > 0; --pairs, block /= 4) {
        const size_t offset = table(m_twiddles, W, block, 4);
        m_passes.push_back({block, 4, offset, wideTable(block, 4)});
    }
    if (stages % 2) {
        const size_t offset = table(m_twiddles, W, block, 2);
        m_passes.push_back({block, 2, offset, wideTable(block, 2)});
    }
}

template <class T>
bool BasicFft<T>::RunWide(const Pass& pass, bool inverse, T* re, T* im, size_t span) const
{
    if constexpr (sizeof(T) != sizeof(float))
        return false;
    else {
        if (pass.wide == kNoWide || !wide::Enabled())
            return false;
        const float* tw = m_wideTwiddles.data() + pass.wide;
        if (pass.radix == 4)
            (inverse ? wide::InversePass4 : wide::ForwardPass4)(re, im, span, pass.size, tw);
        else
            (inverse ? wide::InversePass2 : wide::ForwardPass2)(re, im, span, pass.size, tw);
        return true;
    }
}

// The radix-2 pass (the stage of size 8) and the last two stages go in one eight-wide pass where
// they can: its twiddles, else null.
template <class T>
const float* BasicFft<T>::FusedLast() const
{
    if constexpr (sizeof(T) != sizeof(float))
        return nullptr;
    else {
        if (m_passes.empty() || m_passes.back().radix != 2 || !wide::Enabled())
            return nullptr;
        return m_twiddles.data() + m_passes.back().twiddles;
    }
}

// Decimation in frequency: each pass leaves independent blocks of a quarter (a half for the
// radix-2 pass) of its size, in bit-reversed order of their sums.
template <class T>
void BasicFft<T>::ForwardPass(T* re, T* im, size_t span, const Pass& pass) const
{
    using S = Vec<T>;
    constexpr size_t W = S::kWidth;
    const size_t s = pass.size;
    if (RunWide(pass, false, re, im, span))
        return;
    const T* tw = m_twiddles.data() + pass.twiddles;
    for (size_t base = 0; base < span; base += s) {
        T *r = re + base, *i = im + base;
        if (pass.radix == 2) {
            const size_t h = s / 2;
            for (size_t j = 0; j < h; j += W) {
                const auto ar = S::Load(r + j), ai = S::Load(i + j);
                const auto br = S::Load(r + j + h), bi = S::Load(i + j + h);
                S::Store(r + j, S::Add(ar, br));
                S::Store(i + j, S::Add(ai, bi));
                StoreMul(r + j + h, i + j + h, S::Sub(ar, br), S::Sub(ai, bi), tw + 2 * j);
            }
            continue;
        }
        const size_t q = s / 4;
        for (size_t j = 0; j < q; j += W) {
            const T* w = tw + 6 * j;
            const auto x0r = S::Load(r + j), x0i = S::Load(i + j);
            const auto x1r = S::Load(r + j + q), x1i = S::Load(i + j + q);
            const auto x2r = S::Load(r + j + 2 * q), x2i = S::Load(i + j + 2 * q);
            const auto x3r = S::Load(r + j + 3 * q), x3i = S::Load(i + j + 3 * q);
            const auto t0r = S::Add(x0r, x2r), t0i = S::Add(x0i, x2i);
            const auto t1r = S::Sub(x0r, x2r), t1i = S::Sub(x0i, x2i);
            const auto t2r = S::Add(x1r, x3r), t2i = S::Add(x1i, x3i);
            const auto t3r = S::Sub(x1i, x3i), t3i = S::Sub(x3r, x1r); // (x1 - x3) * -i
            S::Store(r + j, S::Add(t0r, t2r));
            S::Store(i + j, S::Add(t0i, t2i));
            StoreMul(r + j + q, i + j + q, S::Sub(t0r, t2r), S::Sub(t0i, t2i), w + 2 * W);
            StoreMul(r + j + 2 * q, i + j + 2 * q, S::Add(t1r, t3r), S::Add(t1i, t3i), w);
            StoreMul(r + j + 3 * q, i + j + 3 * q, S::Sub(t1r, t3r), S::Sub(t1i, t3i), w + 4 * W);
        }
    }
}

// Decimation in time with conjugate twiddles: the forward pass undone (times its radix).
template <class T>
void BasicFft<T>::InversePass(T* re, T* im, size_t span, const Pass& pass) const
{
    using S = Vec<T>;
    using V = typename S::V;
    constexpr size_t W = S::kWidth;
    const size_t s = pass.size;
    if (RunWide(pass, true, re, im, span))
        return;
    const T* tw = m_twiddles.data() + pass.twiddles;
    for (size_t base = 0; base < span; base += s) {
        T *r = re + base, *i = im + base;
        if (pass.radix == 2) {
            const size_t h = s / 2;
            for (size_t j = 0; j < h; j += W) {
                const auto ar = S::Load(r + j), ai = S::Load(i + j);
                V tr, ti;
                MulConj<T>(S::Load(r + j + h), S::Load(i + j + h), tw + 2 * j, tr, ti);
                S::Store(r + j, S::Add(ar, tr));
                S::Store(i + j, S::Add(ai, ti));
                S::Store(r + j + h, S::Sub(ar, tr));
                S::Store(i + j + h, S::Sub(ai, ti));
            }
            continue;
        }
        const size_t q = s / 4;
        for (size_t j = 0; j < q; j += W) {
            const T* w = tw + 6 * j;
            const auto ar = S::Load(r + j), ai = S::Load(i + j);
            V br, bi, cr, ci, dr, di;
            MulConj<T>(S::Load(r + j + q), S::Load(i + j + q), w + 2 * W, br, bi);
            MulConj<T>(S::Load(r + j + 2 * q), S::Load(i + j + 2 * q), w, cr, ci);
            MulConj<T>(S::Load(r + j + 3 * q), S::Load(i + j + 3 * q), w + 4 * W, dr, di);
            const auto sr = S::Add(ar, br), si = S::Add(ai, bi);
            const auto er = S::Sub(ar, br), ei = S::Sub(ai, bi);
            const auto fr = S::Add(cr, dr), fi = S::Add(ci, di);
            const auto gr = S::Sub(ci, di), gi = S::Sub(dr, cr); // (c - d) * -i
            S::Store(r + j, S::Add(sr, fr));
            S::Store(i + j, S::Add(si, fi));
            S::Store(r + j + 2 * q, S::Sub(sr, fr));
            S::Store(i + j + 2 * q, S::Sub(si, fi));
            S::Store(r + j + q, S::Sub(er, gr)); // e + i (c - d)
            S::Store(i + j + q, S::Sub(ei, gi));
            S::Store(r + j + 3 * q, S::Add(er, gr)); // e - i (c - d)
            S::Store(i + j + 3 * q, S::Add(ei, gi));
        }
    }
}

template <class T>
void BasicFft<T>::ForwardBlock(T* re, T* im, size_t length, size_t pass) const
{
    if (pass < m_passes.size() && length * 2 * sizeof(T) > kInCacheBytes) {
        ForwardPass(re, im, length, m_passes[pass]);
        const size_t part = length / m_passes[pass].radix;
        for (size_t at = 0; at < length; at += part)
            ForwardBlock(re + at, im + at, part, pass + 1);
        return;
    }
    const float* fused = FusedLast();
    for (const size_t end = m_passes.size() - (fused ? 1 : 0); pass < end; ++pass)
        ForwardPass(re, im, length, m_passes[pass]);
    size_t done = 0;
    if constexpr (std::is_same_v<T, float>) {
        if (fused)
            return wide::ForwardLast3(re, im, length, fused);
        if (wide::Enabled())
            done = wide::ForwardLast2(re, im, length);
    }
    ForwardLast(re + done, im + done, length - done);
}

template <class T>
void BasicFft<T>::InverseBlock(T* re, T* im, size_t length, size_t pass) const
{
    if (pass < m_passes.size() && length * 2 * sizeof(T) > kInCacheBytes) {
        const size_t part = length / m_passes[pass].radix;
        for (size_t at = 0; at < length; at += part)
            InverseBlock(re + at, im + at, part, pass + 1);
        InversePass(re, im, length, m_passes[pass]);
        return;
    }
    const float* fused = FusedLast();
    size_t done = 0;
    if constexpr (std::is_same_v<T, float>) {
        if (fused)
            wide::InverseFirst3(re, im, length, fused);
        else if (wide::Enabled())
            done = wide::InverseFirst2(re, im, length);
    }
    if (!fused)
        InverseFirst(re + done, im + done, length - done);
    for (size_t p = m_passes.size() - (fused ? 1 : 0); p-- > pass;)
        InversePass(re, im, length, m_passes[p]);
}

template <class T>
void BasicFft<T>::ConvolveBlock(T* re, T* im, const T* kernelRe, const T* kernelIm, size_t length,
                                size_t pass) const
{
    using S = Vec<T>;
    if (pass < m_passes.size() && length * 2 * sizeof(T) > kInCacheBytes) {
        ForwardPass(re, im, length, m_passes[pass]);
        const size_t part = length / m_passes[pass].radix;
        for (size_t at = 0; at < length; at += part)
            ConvolveBlock(re + at, im + at, kernelRe + at, kernelIm + at, part, pass + 1);
        InversePass(re, im, length, m_passes[pass]);
        return;
    }
    ForwardBlock(re, im, length, pass);
    for (size_t k = 0; k < length; k += S::kWidth) {
        const auto ar = S::Load(re + k), ai = S::Load(im + k);
        const auto br = S::Load(kernelRe + k), bi = S::Load(kernelIm + k);
        S::Store(re + k, S::Sub(S::Mul(ar, br), S::Mul(ai, bi)));
        S::Store(im + k, S::Add(S::Mul(ar, bi), S::Mul(ai, br)));
    }
    InverseBlock(re, im, length, pass);
}

// Below 16 points: one radix-2 stage after another, the same orders.
template <class T>
void BasicFft<T>::ForwardSmall(T* re, T* im) const
{
    for (size_t s = m_size; s >= 2; s /= 2)
        for (size_t base = 0; base < m_size; base += s)
            for (size_t k = 0; k < s / 2; ++k) {
                const size_t a = base + k, b = a + s / 2, j = k * (m_size / s);
                const double dr = double(re[a]) - re[b], di = double(im[a]) - im[b];
                re[a] += re[b];
                im[a] += im[b];
                re[b] = T(dr * m_cos[j] + di * m_sin[j]);
                im[b] = T(di * m_cos[j] - dr * m_sin[j]);
            }
}

template <class T>
void BasicFft<T>::InverseSmall(T* re, T* im) const
{
    for (size_t s = 2; s <= m_size; s *= 2)
        for (size_t base = 0; base < m_size; base += s)
            for (size_t k = 0; k < s / 2; ++k) {
                const size_t a = base + k, b = a + s / 2, j = k * (m_size / s);
                const T tr = T(re[b] * m_cos[j] - im[b] * m_sin[j]), ti = T(im[b] * m_cos[j] + re[b] * m_sin[j]);
                re[b] = re[a] - tr;
                im[b] = im[a] - ti;
                re[a] += tr;
                im[a] += ti;
            }
}

template <class T>
void BasicFft<T>::ForwardSplit(T* re, T* im) const
{
    m_size < 16 ? ForwardSmall(re, im) : ForwardBlock(re, im, m_size, 0);
}

template <class T>
void BasicFft<T>::InverseSplit(T* re, T* im) const
{
    m_size < 16 ? InverseSmall(re, im) : InverseBlock(re, im, m_size, 0);
}

template <class T>
void BasicFft<T>::ConvolveSplit(T* re, T* im, const T* kernelRe, const T* kernelIm) const
{
    if (m_size >= 16) {
        ConvolveBlock(re, im, kernelRe, kernelIm, m_size, 0);
        return;
    }
    ForwardSmall(re, im);
    for (size_t k = 0; k < m_size; ++k) {
        const T r = re[k] * kernelRe[k] - im[k] * kernelIm[k];
        im[k] = re[k] * kernelIm[k] + im[k] * kernelRe[k];
        re[k] = r;
    }
    InverseSmall(re, im);
}

// Z = F + i S for real signals f and s: F[k] = (Z[k] + conj Z[n-k]) / 2 and
// S[k] = (Z[k] - conj Z[n-k]) / 2i.
template <class T>
void BasicFft<T>::SplitPair(const T* re, const T* im, std::complex<T>* first, std::complex<T>* second) const
{
    const size_t n = m_size;
    for (size_t k = 0; k <= n / 2; ++k) {
        const size_t p = m_positions[k], q = m_positions[(n - k) & (n - 1)];
        const T ar = re[p], ai = im[p], br = re[q], bi = -im[q];
        first[k] = {T(0.5) * (ar + br), T(0.5) * (ai + bi)};
        second[k] = {T(0.5) * (ai - bi), T(0.5) * (br - ar)};
    }
}

// Z[k] = F[k] + i S[k], Z[n-k] = conj F[k] + i conj S[k].
template <class T>
void BasicFft<T>::JoinPair(const std::complex<T>* first, const std::complex<T>* second, T* re, T* im) const
{
    const size_t n = m_size;
    for (size_t k = 1; k < n / 2; ++k) {
        const size_t p = m_positions[k], q = m_positions[n - k];
        const T fr = first[k].real(), fi = first[k].imag(), sr = second[k].real(), si = second[k].imag();
        re[p] = fr - si;
        im[p] = fi + sr;
        re[q] = fr + si;
        im[q] = sr - fi;
    }
    for (size_t k : {size_t(0), n / 2}) {
        re[m_positions[k]] = first[k].real();
        im[m_positions[k]] = second[k].real();
    }
}

template <class T>
void BasicFft<T>::Forward(std::complex<T>* data) const
{
    if constexpr (std::is_same_v<T, double>) {
        m_stockham->Forward(reinterpret_cast<double*>(data), m_scratch.data());
        return;
    }
    T *re = m_re.data(), *im = m_im.data();
    for (size_t t = 0; t < m_size; ++t) {
        re[t] = data[t].real();
        im[t] = data[t].imag();
    }
    ForwardSplit(re, im);
    for (size_t k = 0; k < m_size; ++k) {
        const uint32_t p = m_positions[k];
        data[k] = {re[p], im[p]};
    }
}

template <class T>
void BasicFft<T>::Inverse(std::complex<T>* data) const
{
    T *re = m_re.data(), *im = m_im.data();
    for (size_t p = 0; p < m_size; ++p) {
        const std::complex<T> v = data[m_bins[p]];
        re[p] = v.real();
        im[p] = v.imag();
    }
    InverseSplit(re, im);
    const T scale = T(1) / T(m_size);
    for (size_t t = 0; t < m_size; ++t)
        data[t] = {re[t] * scale, im[t] * scale};
}

template <class T>
BasicRealFft<T>::BasicRealFft(size_t size)
    : m_half(size / 2), m_turn(size / 4 + 1), m_re(size / 2), m_im(size / 2)
{
    const double pi = 3.14159265358979323846;
    for (size_t k = 0; k <= size / 4; ++k)
        m_turn[k] = std::polar(1.0, -2.0 * pi * double(k) / double(size));
}

// The reals taken as m = size / 2 complex z[j] = x[2j] + i x[2j+1] with transform Z. The spectra
// of the even and odd samples are E[k] = (Z[k] + conj Z[m-k]) / 2 and O[k] = (Z[k] - conj Z[m-k])
// / 2i, and X[k] = E[k] + W^k O[k], X[m-k] = conj(E[k] - W^k O[k]) with W = e^(-2 pi i / size).
template <class T>
void BasicRealFft<T>::Forward(const T* x, std::complex<T>* bins) const
{
    const size_t m = m_half.Size();
    T *re = m_re.data(), *im = m_im.data();
    for (size_t j = 0; j < m; ++j) {
        re[j] = x[2 * j];
        im[j] = x[2 * j + 1];
    }
    m_half.ForwardSplit(re, im);
    bins[0] = {re[0] + im[0], 0};
    bins[m] = {re[0] - im[0], 0};
    for (size_t k = 1; k <= m / 2; ++k) {
        const size_t p = m_half.PositionOf(k), q = m_half.PositionOf(m - k);
        const std::complex<T> zk(re[p], im[p]), zm(re[q], -im[q]);
        const std::complex<T> e = (zk + zm) * T(0.5), o = (zk - zm) * std::complex<T>(0, -0.5);
        const std::complex<T> t = m_turn[k] * o;
        bins[k] = e + t;
        bins[m - k] = std::conj(e - t);
    }
}

// Back: E[k] = X[k] + conj X[m-k], O[k] = (X[k] - conj X[m-k]) / W^k (each twice the true value),
// Z[k] = E[k] + i O[k], then the inverse complex transform.
template <class T>
void BasicRealFft<T>::Inverse(const std::complex<T>* bins, T* x) const
{
    const size_t m = m_half.Size();
    T *re = m_re.data(), *im = m_im.data();
    re[0] = bins[0].real() + bins[m].real();
    im[0] = bins[0].real() - bins[m].real();
    for (size_t k = 1; k <= m / 2; ++k) {
        const std::complex<T> a = bins[k], b = std::conj(bins[m - k]);
        const std::complex<T> e = a + b, o = (a - b) * std::conj(m_turn[k]);
        const std::complex<T> zk = e + std::complex<T>(-o.imag(), o.real());
        const std::complex<T> zm = std::conj(e) + std::complex<T>(o.imag(), o.real()); // conj e + i conj o
        const size_t p = m_half.PositionOf(k), q = m_half.PositionOf(m - k);
        re[p] = zk.real(), im[p] = zk.imag();
        re[q] = zm.real(), im[q] = zm.imag();
    }
    m_half.InverseSplit(re, im);
    const T scale = T(1) / T(2 * m);
    for (size_t j = 0; j < m; ++j) {
        x[2 * j] = re[j] * scale;
        x[2 * j + 1] = im[j] * scale;
    }
}

template class BasicFft<float>;
template class BasicFft<double>;
template class BasicRealFft<float>;
template class BasicRealFft<double>;

} // namespace fxkit
