#include "GainKernel.h"

#include "Finite.h"

#include <algorithm>

namespace fx {

const fxkit::ParamInfo kGainParams[kGainChannels] = {
    {L"Channel &1 (left)", L"dB", -60, 20, 0, 1, nullptr}, {L"Channel &2 (right)", L"dB", -60, 20, 0, 1, nullptr},
    {L"Channel &3", L"dB", -60, 20, 0, 1, nullptr},        {L"Channel &4", L"dB", -60, 20, 0, 1, nullptr},
    {L"Channel &5", L"dB", -60, 20, 0, 1, nullptr},        {L"Channel &6", L"dB", -60, 20, 0, 1, nullptr},
};

void GainKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_channels = std::clamp(shape.inChannels, 1, kGainChannels);
    m_rampFrames = std::max<size_t>(1, size_t(shape.rate * 0.01));
    for (int c = 0; c < kGainChannels; ++c)
        m_gain[c] = m_target[c] = fxkit::DbToGain(values[c]);
    m_rampLeft = 0;
}

void GainKernel::Update(const double* values)
{
    for (int c = 0; c < kGainChannels; ++c) {
        m_target[c] = fxkit::DbToGain(values[c]);
        m_step[c] = (m_target[c] - m_gain[c]) / double(m_rampFrames);
    }
    m_rampLeft = m_rampFrames;
}

void GainKernel::Process(const float* in, float* out, size_t frames)
{
    const int n = m_channels;
    size_t i = 0;
    for (; i < frames && m_rampLeft > 0; ++i, --m_rampLeft)
        for (int c = 0; c < n; ++c) {
            m_gain[c] += m_step[c];
            out[i * n + c] = fxkit::ToFloat(in[i * n + c] * m_gain[c]);
        }
    if (m_rampLeft == 0)
        std::copy(m_target, m_target + kGainChannels, m_gain);
    if (n == 2) {
        // A product beyond the float range stops at its largest value.
        const float l = float(m_gain[0]), r = float(m_gain[1]), top = float(fxkit::kLargestFloat);
        for (; i < frames; ++i) {
            out[2 * i] = std::min(std::max(in[2 * i] * l, -top), top);
            out[2 * i + 1] = std::min(std::max(in[2 * i + 1] * r, -top), top);
        }
        return;
    }
    for (; i < frames; ++i)
        for (int c = 0; c < n; ++c)
            out[i * n + c] = fxkit::ToFloat(in[i * n + c] * m_gain[c]);
}

} // namespace fx
