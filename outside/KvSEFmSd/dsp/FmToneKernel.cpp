#include "FmToneKernel.h"

#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {
constexpr double kTwoPi = 6.28318530717958647692;
} // namespace

const fxkit::ParamInfo kFmParams[kFmParamCount] = {
    {L"&Carrier", L"Hz", 20, 20000, 440, 2, nullptr, true, false, true},
    {L"&Modulator", L"Hz", 0.1, 20000, 110, 2, nullptr, true, false, true},
    {L"&Index", L"", 0, 20, 1, 2, nullptr},
    {L"&Level", L"dBFS", -60, 0, -6, 2, nullptr},
};

void FmToneKernel::Prepare(const fxkit::GeneratorShape& shape, const double* values)
{
    const double top = 0.45 * shape.rate;
    m_carrierStep = kTwoPi * std::min(values[kFmCarrier], top) / shape.rate;
    m_modulatorStep = kTwoPi * std::min(values[kFmModulator], top) / shape.rate;
    m_index = values[kFmIndex];
    m_gain = fxkit::DbToGain(values[kFmLevel]);
    m_channels = shape.channels;
    m_carrier = m_modulator = 0;
}

void FmToneKernel::Generate(float* out, size_t frames)
{
    const size_t channels = size_t(m_channels);
    for (size_t i = 0; i < frames; ++i) {
        const float v = float(m_gain * fxkit::FastSin(m_carrier + m_index * fxkit::FastSin(m_modulator)));
        std::fill(out + i * channels, out + (i + 1) * channels, v);
        m_carrier += m_carrierStep;
        m_modulator += m_modulatorStep;
        if (m_carrier >= kTwoPi)
            m_carrier -= kTwoPi;
        if (m_modulator >= kTwoPi)
            m_modulator -= kTwoPi;
    }
}

} // namespace fx
