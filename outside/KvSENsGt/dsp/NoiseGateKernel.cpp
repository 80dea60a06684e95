#include "NoiseGateKernel.h"

#include <algorithm>
#include <cmath>

namespace fx {

const fxkit::ParamInfo kNoiseGateParams[kGateParamCount] = {
    {L"&Threshold", L"dB", -80, 0, -40, 1, nullptr}, {L"&Hysteresis", L"dB", 0, 20, 6, 1, nullptr},
    {L"&Range", L"dB", -80, 0, -60, 1, nullptr},     {L"&Attack", L"ms", 0.1, 100, 1, 1, nullptr, true},
    {L"H&old", L"ms", 0, 1000, 50, 0, nullptr},      {L"Re&lease", L"ms", 1, 2000, 100, 0, nullptr, true},
};

void NoiseGateKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_level.Setup(0, 20, m_rate);
    Update(values);
    Reset();
}

void NoiseGateKernel::Update(const double* values)
{
    m_open = fxkit::DbToGain(values[kGateThreshold]);
    m_close = fxkit::DbToGain(values[kGateThreshold] - values[kGateHysteresis]);
    m_floor = fxkit::DbToGain(values[kGateRange]);
    m_attack = fxkit::EnvelopeFollower::Coefficient(values[kGateAttack], m_rate);
    m_release = fxkit::EnvelopeFollower::Coefficient(values[kGateRelease], m_rate);
    m_holdFrames = size_t(values[kGateHold] * m_rate / 1000.0);
}

void NoiseGateKernel::Reset()
{
    m_level.Reset();
    m_isOpen = false;
    m_below = 0;
    m_gain = m_floor;
}

void NoiseGateKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    for (size_t i = 0; i < frames; ++i) {
        double peak = 0;
        for (size_t c = 0; c < n; ++c)
            peak = std::max(peak, double(std::fabs(in[i * n + c])));
        const double level = m_level.Next(peak);
        if (level >= m_open) {
            m_isOpen = true;
            m_below = 0;
        } else if (m_isOpen && level < m_close && ++m_below > m_holdFrames) {
            m_isOpen = false;
        }
        if (m_isOpen)
            m_gain += m_attack * (1.0 - m_gain);
        else
            m_gain += m_release * (m_floor - m_gain);
        for (size_t c = 0; c < n; ++c)
            out[i * n + c] = float(in[i * n + c] * m_gain);
    }
}

} // namespace fx
