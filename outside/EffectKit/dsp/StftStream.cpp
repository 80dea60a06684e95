#include "StftStream.h"

#include "FftWide.h"
#include "StftStreamWide.h"

#include <algorithm>
#include <cmath>
#include <emmintrin.h>

namespace fxkit {

void StftStream::Configure(size_t size, size_t hop, int channels)
{
    m_size = size;
    m_hop = hop;
    m_channels = size_t(std::max(channels, 1));
    Reset();
}

void StftStream::Reset()
{
    m_history.assign(m_size * m_channels, 0.0f);
    m_write = 0;
    m_sinceFrame = 0;
    m_sum.assign(m_size * m_channels, 0.0);
    m_sumStart = 0;
    // A hop of silence goes out before the first frame is done: the latency is one frame.
    m_queue.assign(m_hop * m_channels, 0.0f);
    m_queueRead = 0;
}

namespace {

// Frames whose samples reach beyond 2^40 are scaled to a peak near 2^20 before a float
// transform: its sums, and the squares of its bins, stay within the float range. The factor, or
// 1.
float FactorFor(float peak)
{
    if (!(peak > 0x1p40f))
        return 1.0f;
    int exponent = 0;
    std::frexp(peak, &exponent);
    return std::ldexp(1.0f, 20 - exponent);
}

void ScaleBy(float factor, float* part, size_t size)
{
    if (factor != 1.0f)
        for (size_t i = 0; i < size; ++i)
            part[i] *= factor;
}

} // namespace

float StftStream::Gather(size_t channel, const float* window, float* out) const
{
    const float* history = &m_history[channel];
    const size_t ch = m_channels;
    float peak = 0;
    ForHistory([&](size_t i, size_t at, size_t count) {
        for (size_t j = 0; j < count; ++j) {
            out[i + j] = history[(at + j) * ch] * window[i + j];
            peak = std::max(peak, std::fabs(out[i + j]));
        }
    });
    const float factor = FactorFor(peak);
    ScaleBy(factor, out, m_size);
    return factor;
}

void StftStream::Add(size_t channel, const float* frame, const float* window, double scale)
{
    ForSum([&](size_t i, double* sum) { sum[channel] += double(frame[i] * window[i]) * scale; });
}

StftStream::PairScale StftStream::GatherPair(size_t first, const float* window, float* re, float* im,
                                              bool apart) const
{
    const size_t ch = m_channels;
    float peaks[2] = {0, 0};
    __m128 realPeaks = _mm_setzero_ps(), imagPeaks = _mm_setzero_ps();
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const bool byEight = ch == 2 && wide::Enabled();
    ForHistory([&](size_t i, size_t at, size_t count) {
        size_t j = byEight ? wide::GatherStereo(&m_history[at * 2], window + i, re + i, im + i, count, peaks) : 0;
        if (ch == 2)
            // Four frames at a time, taken apart into the channels.
            for (; j + 4 <= count; j += 4) {
                const __m128 a = _mm_loadu_ps(&m_history[(at + j) * 2]), b = _mm_loadu_ps(&m_history[(at + j) * 2 + 4]);
                const __m128 w = _mm_loadu_ps(window + i + j);
                const __m128 r = _mm_mul_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)), w);
                const __m128 m = _mm_mul_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)), w);
                _mm_storeu_ps(re + i + j, r);
                _mm_storeu_ps(im + i + j, m);
                realPeaks = _mm_max_ps(realPeaks, _mm_and_ps(r, magnitude));
                imagPeaks = _mm_max_ps(imagPeaks, _mm_and_ps(m, magnitude));
            }
        for (; j < count; ++j) {
            const float* frame = &m_history[(at + j) * ch + first];
            re[i + j] = frame[0] * window[i + j];
            im[i + j] = frame[1] * window[i + j];
            peaks[0] = std::max(peaks[0], std::fabs(re[i + j]));
            peaks[1] = std::max(peaks[1], std::fabs(im[i + j]));
        }
    });
    alignas(16) float lanes[2][4];
    _mm_store_ps(lanes[0], realPeaks);
    _mm_store_ps(lanes[1], imagPeaks);
    for (int part = 0; part < 2; ++part)
        for (float lane : lanes[part])
            peaks[part] = std::max(peaks[part], lane);
    const PairScale scale =
        apart ? PairScale{FactorFor(peaks[0]), FactorFor(peaks[1])}
              : PairScale{FactorFor(std::max(peaks[0], peaks[1])), FactorFor(std::max(peaks[0], peaks[1]))};
    ScaleBy(scale.first, re, m_size);
    ScaleBy(scale.second, im, m_size);
    return scale;
}

void StftStream::AddPair(size_t first, const float* re, const float* im, const float* window, double firstScale,
                         double secondScale)
{
    if (m_channels != 2) {
        ForSum([&](size_t i, double* sum) {
            sum[first] += double(re[i] * window[i]) * firstScale;
            sum[first + 1] += double(im[i] * window[i]) * secondScale;
        });
        return;
    }
    // Two frames at a time: (left, right) of each, in double, onto the sum.
    const __m128d by = _mm_setr_pd(firstScale, secondScale);
    const bool byEight = wide::Enabled();
    ForSumRuns([&](size_t from, double* sum, size_t count) {
        size_t i = byEight ? wide::AddStereo(sum, re + from, im + from, window + from, count, firstScale, secondScale) : 0;
        for (; i + 4 <= count; i += 4) {
            const __m128 w = _mm_loadu_ps(window + from + i);
            const __m128 r = _mm_mul_ps(_mm_loadu_ps(re + from + i), w), m = _mm_mul_ps(_mm_loadu_ps(im + from + i), w);
            const __m128 low = _mm_unpacklo_ps(r, m), high = _mm_unpackhi_ps(r, m);
            double* at = sum + 2 * i;
            _mm_storeu_pd(at, _mm_add_pd(_mm_loadu_pd(at), _mm_mul_pd(_mm_cvtps_pd(low), by)));
            _mm_storeu_pd(at + 2, _mm_add_pd(_mm_loadu_pd(at + 2), _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(low, low)), by)));
            _mm_storeu_pd(at + 4, _mm_add_pd(_mm_loadu_pd(at + 4), _mm_mul_pd(_mm_cvtps_pd(high), by)));
            _mm_storeu_pd(at + 6, _mm_add_pd(_mm_loadu_pd(at + 6), _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(high, high)), by)));
        }
        for (; i < count; ++i) {
            sum[2 * i] += double(re[from + i] * window[from + i]) * firstScale;
            sum[2 * i + 1] += double(im[from + i] * window[from + i]) * secondScale;
        }
    });
}

void StftStream::Take(const float* in, size_t frames)
{
    const size_t ch = m_channels;
    // NaN as silence, an infinity as the largest float of its sign (as Finite does), four at a
    // time.
    const __m128 largest = _mm_set1_ps(float(kLargestFloat)), lowest = _mm_set1_ps(-float(kLargestFloat));
    while (frames > 0) {
        const size_t run = std::min(frames, m_size - m_write), count = run * ch;
        const float* from = in;
        float* to = &m_history[m_write * ch];
        size_t j = 0;
        for (; j + 4 <= count; j += 4) {
            const __m128 x = _mm_loadu_ps(from + j);
            const __m128 known = _mm_and_ps(x, _mm_cmpord_ps(x, x));
            _mm_storeu_ps(to + j, _mm_min_ps(_mm_max_ps(known, lowest), largest));
        }
        for (; j < count; ++j)
            to[j] = float(Finite(from[j]));
        in += count;
        frames -= run;
        m_write = m_write + run == m_size ? 0 : m_write + run;
    }
}

void StftStream::Advance()
{
    const size_t ch = m_channels;
    // The finished hop clipped to the float range (a NaN passes, as ToFloat lets it), and its
    // place in the ring cleared for the frames to come.
    const __m128d largest = _mm_set1_pd(kLargestFloat), lowest = _mm_set1_pd(-kLargestFloat);
    float* queue = m_queue.data();
    const bool byEight = wide::Enabled();
    for (size_t done = 0; done < m_hop;) {
        const size_t run = std::min(m_hop - done, m_size - m_sumStart), count = run * ch;
        double* sum = &m_sum[m_sumStart * ch];
        float* to = queue + done * ch;
        const size_t cleared = byEight ? wide::Finish(sum, to, count, kLargestFloat) : 0;
        size_t i = cleared;
        for (; i + 4 <= count; i += 4) {
            const __m128d a = _mm_min_pd(largest, _mm_max_pd(lowest, _mm_loadu_pd(sum + i)));
            const __m128d b = _mm_min_pd(largest, _mm_max_pd(lowest, _mm_loadu_pd(sum + i + 2)));
            _mm_storeu_ps(to + i, _mm_movelh_ps(_mm_cvtpd_ps(a), _mm_cvtpd_ps(b)));
        }
        for (; i < count; ++i)
            to[i] = ToFloat(sum[i]);
        std::fill(sum + cleared, sum + count, 0.0);
        done += run;
        m_sumStart = m_sumStart + run == m_size ? 0 : m_sumStart + run;
    }
    m_queueRead = 0;
}

} // namespace fxkit
