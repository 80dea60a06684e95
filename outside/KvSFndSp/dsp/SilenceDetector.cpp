#include "SilenceDetector.h"

#include <algorithm>
#include <cmath>

#include <emmintrin.h>

namespace fx {

SilenceSettings ClampSilenceSettings(const SilenceSettings& s)
{
    SilenceSettings c;
    c.durationMs = std::clamp(s.durationMs, 10, 24 * 3600 * 1000);
    c.levelA = std::clamp(s.levelA, 0, 32768);
    c.levelB = std::clamp(s.levelB, c.levelA, 32768);
    return c;
}

void SilenceDetector::Prepare(double rate, int channels, const SilenceSettings& settings)
{
    m_settings = ClampSilenceSettings(settings);
    m_channels = std::max(channels, 1);
    m_blockFrames = std::max<size_t>(1, size_t(std::lround(rate / 100.0)));
    m_durationFrames = int64_t(std::llround(double(m_settings.durationMs) * rate / 1000.0));
    m_levelA = float(m_settings.levelA) / 32768.0f;
    m_levelB = float(m_settings.levelB) / 32768.0f;
    m_fill = 0;
    m_peak = 0;
    m_firstLoud = -1;
    m_frame = 0;
    m_lastLoud = -1;
    m_prevQuiet = false;
    m_quietStart = 0;
    m_spanOpen = false;
    m_spanAtStart = false;
    m_seenB = false;
    m_spanStart = m_spanEnd = 0;
    m_longestQuiet = 0;
    m_found.clear();
}

namespace {

const __m128 kAbsMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));

// The largest magnitude of n samples (NaNs ignored), four lanes at a time.
float PeakOf(const float* in, size_t n)
{
    __m128 a = _mm_setzero_ps(), b = _mm_setzero_ps();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        // maxps keeps its second operand when the first is NaN.
        a = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(in + i), kAbsMask), a);
        b = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(in + i + 4), kAbsMask), b);
    }
    a = _mm_max_ps(a, b);
    a = _mm_max_ps(a, _mm_movehl_ps(a, a));
    a = _mm_max_ss(a, _mm_shuffle_ps(a, a, 1));
    float peak = _mm_cvtss_f32(a);
    for (; i < n; ++i)
        peak = std::max(peak, std::fabs(in[i]));
    return peak;
}

} // namespace

void SilenceDetector::Feed(const float* in, size_t frames)
{
    // A block's peak and its first and last sample at or over A are all the rules need: a
    // piece of a block is scanned for its peak, and only a loud piece for its loud ends.
    const size_t channels = size_t(m_channels);
    while (frames > 0) {
        const size_t n = std::min(frames, m_blockFrames - m_fill);
        const size_t samples = n * channels;
        const float peak = PeakOf(in, samples);
        m_peak = std::max(m_peak, peak);
        if (peak >= m_levelA) {
            size_t first = 0;
            while (!(std::fabs(in[first]) >= m_levelA))
                ++first;
            size_t last = samples - 1;
            while (!(std::fabs(in[last]) >= m_levelA))
                --last;
            if (m_firstLoud < 0)
                m_firstLoud = m_frame + int64_t(first / channels);
            m_lastLoud = m_frame + int64_t(last / channels);
        }
        in += samples;
        frames -= n;
        m_frame += int64_t(n);
        m_fill += n;
        if (m_fill == m_blockFrames)
            EndBlock();
    }
}

void SilenceDetector::EndBlock()
{
    const bool quiet = m_peak < m_levelA;
    if (quiet) {
        if (!m_prevQuiet)
            m_quietStart = m_lastLoud + 1;
    } else {
        if (m_prevQuiet) {
            // A quiet stretch ended at this block's first loud sample.
            if (!m_spanOpen) {
                m_spanOpen = true;
                m_spanAtStart = !m_seenB; // only quiet or passages under B before it
                m_spanStart = m_quietStart;
                m_longestQuiet = 0;
            }
            m_spanEnd = m_firstLoud;
            m_longestQuiet = std::max(m_longestQuiet, m_firstLoud - m_quietStart);
        }
        if (m_peak >= m_levelB) {
            if (m_spanOpen && !m_spanAtStart && m_longestQuiet >= m_durationFrames)
                m_found.push_back({m_spanStart, m_spanEnd});
            m_spanOpen = false;
            m_seenB = true;
        }
    }
    m_prevQuiet = quiet;
    m_fill = 0;
    m_peak = 0;
    m_firstLoud = -1;
}

void SilenceDetector::Finish()
{
    if (m_fill > 0)
        EndBlock();
    // A silence still open, or a quiet stretch still running, reaches the end: not a gap.
    m_spanOpen = false;
}

} // namespace fx
