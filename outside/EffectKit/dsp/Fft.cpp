#include "Fft.h"

#include <cmath>
#include <emmintrin.h>

namespace fxkit {

namespace {

// One complex number per register: (real, imaginary).
const __m128d kNegImag = _mm_set_pd(-0.0, 0.0);
const __m128d kNegReal = _mm_set_pd(0.0, -0.0);

inline __m128d Swap(__m128d a)
{
    return _mm_shuffle_pd(a, a, 1);
}

// w: a twiddle as kept, (re, re, -im, im).
inline __m128d Mul(__m128d a, const double* w)
{
    return _mm_add_pd(_mm_mul_pd(a, _mm_loadu_pd(w)), _mm_mul_pd(Swap(a), _mm_loadu_pd(w + 2)));
}

inline __m128d MulConj(__m128d a, const double* w)
{
    return _mm_sub_pd(_mm_mul_pd(a, _mm_loadu_pd(w)), _mm_mul_pd(Swap(a), _mm_loadu_pd(w + 2)));
}

inline __m128d TimesI(__m128d a)
{
    return _mm_xor_pd(Swap(a), kNegReal);
}

inline __m128d TimesMinusI(__m128d a)
{
    return _mm_xor_pd(Swap(a), kNegImag);
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
    for (size_t length = size; length >= 4; length /= 4) {
        m_stageOffsets.push_back(m_twiddles.size());
        const size_t quarter = length / 4;
        if (quarter == 1)
            continue; // all ones
        for (size_t k = 0; k < quarter; ++k)
            for (size_t m = 1; m <= 3; ++m) {
                const double angle = -2.0 * pi * double(k * m) / double(length);
                m_twiddles.insert(m_twiddles.end(),
                                  {std::cos(angle), std::cos(angle), -std::sin(angle), std::sin(angle)});
            }
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

void Fft::ForwardScrambled(std::complex<double>* data) const
{
    double* d = reinterpret_cast<double*>(data);
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
                    const double* w = tw + 12 * k;
                    _mm_storeu_pd(a + 2 * (k + q), Mul(_mm_add_pd(t1, t3), w));
                    _mm_storeu_pd(a + 2 * (k + 2 * q), Mul(_mm_sub_pd(t0, t2), w + 4));
                    _mm_storeu_pd(a + 2 * (k + 3 * q), Mul(_mm_sub_pd(t1, t3), w + 8));
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
void Fft::InverseScrambled(std::complex<double>* data) const
{
    double* d = reinterpret_cast<double*>(data);
    const size_t stages = m_stageOffsets.size();
    size_t length = m_size;
    for (size_t s = 0; s < stages; ++s)
        length /= 4;
    if (length == 2)
        for (size_t i = 0; i < m_size; i += 2) {
            const __m128d x0 = _mm_loadu_pd(d + 2 * i), x1 = _mm_loadu_pd(d + 2 * i + 2);
            _mm_storeu_pd(d + 2 * i, _mm_add_pd(x0, x1));
            _mm_storeu_pd(d + 2 * i + 2, _mm_sub_pd(x0, x1));
        }
    if (stages == 0)
        return;
    length = m_size >> (2 * (stages - 1));
    for (size_t stage = stages; stage-- > 0; length *= 4) {
        const size_t q = length / 4;
        const double* tw = m_twiddles.data() + m_stageOffsets[stage];
        for (size_t start = 0; start < m_size; start += length) {
            double* a = d + 2 * start;
            for (size_t k = 0; k < q; ++k) {
                __m128d y0 = _mm_loadu_pd(a + 2 * k), y1 = _mm_loadu_pd(a + 2 * (k + q));
                __m128d y2 = _mm_loadu_pd(a + 2 * (k + 2 * q)), y3 = _mm_loadu_pd(a + 2 * (k + 3 * q));
                if (q != 1) {
                    const double* w = tw + 12 * k;
                    y1 = MulConj(y1, w);
                    y2 = MulConj(y2, w + 4);
                    y3 = MulConj(y3, w + 8);
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
    ForwardScrambled(data);
    for (const auto& s : m_swaps)
        std::swap(data[s.first], data[s.second]);
}

void Fft::Inverse(std::complex<double>* data) const
{
    for (auto s = m_swaps.rbegin(); s != m_swaps.rend(); ++s)
        std::swap(data[s->first], data[s->second]);
    InverseScrambled(data);
    const double scale = 1.0 / double(m_size);
    for (size_t i = 0; i < m_size; ++i)
        data[i] *= scale;
}

} // namespace fxkit
