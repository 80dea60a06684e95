#include "CompressorKernel.h"

#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {
const wchar_t* const kOffOn[] = {L"Off", L"On (infinite ratio)", nullptr};
const wchar_t* const kDetection[] = {L"Linked", L"Each channel", nullptr};
} // namespace

const fxkit::ParamInfo kCompressorParams[kCmpParamCount] = {
    {L"&Threshold", L"dB", -60, 0, -20, 1, nullptr},
    {L"&Ratio", L": 1", 1, 20, 4, 1, nullptr},
    {L"&Limiter", L"", 0, 1, 0, 0, kOffOn},
    {L"&Knee width", L"dB", 0, 24, 6, 1, nullptr},
    {L"&Make-up gain", L"dB", 0, 24, 0, 1, nullptr},
    {L"&Attack", L"ms", 0.1, 200, 5, 1, nullptr, true},
    {L"&Release", L"ms", 10, 2000, 100, 0, nullptr, true},
    {L"&Detection", L"", 0, 1, 0, 0, kDetection},
};

double CompressorCurve::GainDb(double levelDb) const
{
    const double over = levelDb - threshold;
    double reduction = 0;
    if (2 * over >= knee)
        reduction = slope * over;
    else if (2 * over > -knee && knee > 0)
        reduction = slope * (over + knee / 2) * (over + knee / 2) / (2 * knee);
    return makeup - reduction;
}

CompressorCurve CurveOf(const double* values)
{
    CompressorCurve c;
    c.threshold = values[kCmpThreshold];
    c.slope = values[kCmpLimiter] != 0 ? 1.0 : 1.0 - 1.0 / values[kCmpRatio];
    c.knee = values[kCmpKnee];
    c.makeup = values[kCmpMakeup];
    return c;
}

void CompressorKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_level.assign(size_t(m_channels), fxkit::EnvelopeFollower());
    m_gainDb.assign(size_t(m_channels), 0.0);
    Update(values);
}

void CompressorKernel::Update(const double* values)
{
    m_curve = CurveOf(values);
    m_linked = values[kCmpDetection] == 0;
    m_attack = fxkit::EnvelopeFollower::Coefficient(values[kCmpAttack], m_rate);
    m_release = fxkit::EnvelopeFollower::Coefficient(values[kCmpRelease], m_rate);
    for (auto& e : m_level)
        e.Setup(0, values[kCmpRelease], m_rate);
}

void CompressorKernel::Reset()
{
    for (auto& e : m_level)
        e.Reset();
    std::fill(m_gainDb.begin(), m_gainDb.end(), 0.0);
}

double CompressorKernel::Gain(size_t channel, double peak)
{
    // Levels below -120 dBFS get no gain change worth computing.
    const double level = std::max(m_level[channel].Next(peak), 1e-6);
    // 20 log10 x = 6.0206 log2 x; 10^(g / 20) = 2^(g / 6.0206).
    const double target = m_curve.GainDb(6.020599913279624 * fxkit::FastLog2(level)) - m_curve.makeup;
    double& g = m_gainDb[channel];
    g += (target < g ? m_attack : m_release) * (target - g);
    return fxkit::FastExp2((g + m_curve.makeup) * 0.16609640474436813);
}

void CompressorKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    for (size_t i = 0; i < frames; ++i) {
        const float* x = in + i * n;
        float* y = out + i * n;
        if (m_linked) {
            double peak = 0;
            for (size_t c = 0; c < n; ++c)
                peak = std::max(peak, double(std::fabs(x[c])));
            const double g = Gain(0, peak);
            for (size_t c = 0; c < n; ++c)
                y[c] = float(x[c] * g);
        } else {
            for (size_t c = 0; c < n; ++c)
                y[c] = float(x[c] * Gain(c, std::fabs(x[c])));
        }
    }
}

} // namespace fx
