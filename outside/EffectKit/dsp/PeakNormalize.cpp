#include "PeakNormalize.h"

#include "ParamInfo.h"

#include <algorithm>
#include <cmath>

namespace fxkit {

void PeakNormalizeKernel::Prepare(const StreamShape& shape, const double* values)
{
    m_channels = shape.inChannels;
    Update(values);
}

void PeakNormalizeKernel::Update(const double* values)
{
    m_target = DbToGain(values[0]);
    Gains();
}

void PeakNormalizeKernel::BeginMeasure()
{
    m_peak.assign(size_t(m_channels), 0.0);
}

void PeakNormalizeKernel::Measure(const float* in, size_t frames)
{
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < m_channels; ++c)
            m_peak[size_t(c)] = std::max(m_peak[size_t(c)], double(std::fabs(in[i * size_t(m_channels) + size_t(c)])));
}

void PeakNormalizeKernel::EndMeasure()
{
    m_measured = m_peak;
    const double all = m_measured.empty() ? 0.0 : *std::max_element(m_measured.begin(), m_measured.end());
    m_peakOfAll.store(all);
    if (!m_perChannel)
        std::fill(m_measured.begin(), m_measured.end(), all);
    Gains();
}

void PeakNormalizeKernel::Gains()
{
    m_gain.assign(size_t(m_channels), 1.0);
    if (m_measured.size() != m_gain.size())
        return; // unmeasured, or measured in another shape: unity
    for (size_t c = 0; c < m_gain.size(); ++c)
        if (m_measured[c] > 0)
            m_gain[c] = m_target / m_measured[c];
}

void PeakNormalizeKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    for (size_t c = 0; c < n; ++c) {
        const double g = m_gain[c];
        for (size_t i = 0; i < frames; ++i)
            out[i * n + c] = float(double(in[i * n + c]) * g);
    }
}

} // namespace fxkit
