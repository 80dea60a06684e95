#include "SilenceDetector.h"

#include <algorithm>
#include <cmath>

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

void SilenceDetector::Feed(const float* in, size_t frames)
{
    for (size_t i = 0; i < frames; ++i, ++m_frame) {
        float peak = 0;
        for (int c = 0; c < m_channels; ++c)
            peak = std::max(peak, std::fabs(in[i * size_t(m_channels) + size_t(c)]));
        m_peak = std::max(m_peak, peak);
        if (peak >= m_levelA) {
            if (m_firstLoud < 0)
                m_firstLoud = m_frame;
            m_lastLoud = m_frame;
        }
        if (++m_fill == m_blockFrames)
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
