#include "LoFiKernel.h"

#include <algorithm>
#include <cmath>

namespace fx {

const fxkit::ParamInfo kLoFiParams[kLoFiParamCount] = {
    {L"&Bits", L"", 1, 16, 8, 0, nullptr},
    {L"&Hold rate", L"Hz", 500, 192000, 22050, 0, nullptr, true},
    {L"Band &limit", L"Hz", 500, 20000, 20000, 0, nullptr, true, false, true},
    {L"&Mix", L"%", 0, 100, 100, 0, nullptr},
};

void LoFiKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_held.assign(size_t(m_channels), 0.0f);
    m_lowPass.Configure({}, m_channels);
    Update(values);
    Reset();
}

void LoFiKernel::Update(const double* values)
{
    const int bits = int(values[kLoFiBits]);
    m_levels = std::ldexp(1.0, bits);
    m_step = 2.0 / m_levels;
    m_hold = std::min(1.0, values[kLoFiHold] / m_rate);
    m_wet = values[kLoFiMix] / 100.0;
    const double band = values[kLoFiBand];
    m_band = band < 0.44 * m_rate;
    const auto sections = m_band ? fxkit::Butterworth(fxkit::FilterKind::LowPass, 4, band, m_rate)
                                 : std::vector<fxkit::BiquadCoefficients>{};
    if (sections.size() == m_lowPass.SectionCount())
        m_lowPass.SetCoefficients(sections);
    else
        m_lowPass.Configure(sections, m_channels);
}

void LoFiKernel::Reset()
{
    m_phase = 1; // the first sample is taken
    std::fill(m_held.begin(), m_held.end(), 0.0f);
    m_lowPass.Reset();
}

void LoFiKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    const double top = m_levels / 2 - 1, bottom = -m_levels / 2;
    for (size_t i = 0; i < frames; ++i) {
        if (m_phase >= 1.0) {
            m_phase -= std::floor(m_phase);
            for (size_t c = 0; c < n; ++c) {
                const double q = std::clamp(std::nearbyint(in[i * n + c] / m_step), bottom, top);
                m_held[c] = float(q * m_step);
            }
        }
        m_phase += m_hold;
        for (size_t c = 0; c < n; ++c)
            out[i * n + c] = m_held[c];
    }
    if (m_band)
        m_lowPass.ProcessInPlace(out, frames);
    if (m_wet < 1.0)
        for (size_t k = 0; k < frames * n; ++k)
            out[k] = float(m_wet * out[k] + (1.0 - m_wet) * in[k]);
}

} // namespace fx
