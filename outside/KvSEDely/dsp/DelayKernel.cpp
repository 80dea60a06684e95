#include "DelayKernel.h"

#include "Finite.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {

const wchar_t* const kOffOn[] = {L"Off", L"On", nullptr};
constexpr double kMaxMs = 3000;
constexpr double kTailLevel = 3.1622776601683794e-05; // -90 dBFS

} // namespace

const fxkit::ParamInfo kDelayParams[kDelayParamCount] = {
    {L"&Delay", L"ms", 1, kMaxMs, 350, 0, nullptr, true},
    {L"&Feedback", L"%", 0, 95, 40, 0, nullptr},
    {L"&Mix", L"%", 0, 100, 35, 0, nullptr},
    {L"D&amping", L"%", 0, 100, 20, 0, nullptr},
    {L"&Ping-pong", L"", 0, 1, 0, 0, kOffOn},
};

size_t DelayKernel::DelayFrames(double ms, double rate)
{
    return std::max<size_t>(1, size_t(std::lround(std::min(ms, kMaxMs) * rate / 1000.0)));
}

uint64_t DelayKernel::TailFrames(const double* values, double rate) const
{
    const double mix = values[kDelayMix] / 100.0, fb = values[kDelayFeedback] / 100.0;
    if (mix <= 0)
        return 0;
    // Echo k (1, 2, ...) has at most mix fb^(k-1) of full scale; damping only lowers it.
    uint64_t echoes = 1;
    if (fb > 0 && mix > kTailLevel)
        echoes += uint64_t(std::ceil(std::log(kTailLevel / mix) / std::log(fb)));
    return echoes * DelayFrames(values[kDelayTime], rate);
}

void DelayKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_length = DelayFrames(kMaxMs, m_rate) + 1;
    m_partner.resize(size_t(m_channels));
    for (int c = 0; c < m_channels; ++c)
        m_partner[size_t(c)] = c;
    if (m_channels >= 2)
        std::swap(m_partner[0], m_partner[1]);
    if (m_channels >= 6)
        std::swap(m_partner[4], m_partner[5]);
    Update(values);
    Reset();
}

void DelayKernel::Update(const double* values)
{
    m_delay = std::min(DelayFrames(values[kDelayTime], m_rate), m_length - 1);
    m_feedback = float(values[kDelayFeedback] / 100.0);
    m_wet = float(values[kDelayMix] / 100.0);
    m_dry = 1.0f - m_wet;
    // One pole in the loop: at 100 % the echoes lose most of their top each pass.
    m_damp = float(0.9 * values[kDelayDamping] / 100.0);
    m_pingPong = values[kDelayPingPong] >= 0.5;
}

void DelayKernel::Reset()
{
    m_line.assign(m_length * size_t(m_channels), 0.0f);
    m_lowpass.assign(size_t(m_channels), 0.0f);
    m_pos = 0;
}

void DelayKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t ch = size_t(m_channels);
    float echo[8];
    for (size_t i = 0; i < frames; ++i) {
        const size_t read = m_pos >= m_delay ? m_pos - m_delay : m_pos + m_length - m_delay;
        const float* e = &m_line[read * ch];
        for (size_t c = 0; c < ch && c < 8; ++c) {
            m_lowpass[c] = float(m_lowpass[c] + (1.0 - m_damp) * (double(e[c]) - m_lowpass[c]));
            echo[c] = m_lowpass[c];
        }
        float* w = &m_line[m_pos * ch];
        const float* x = in + i * ch;
        float* y = out + i * ch;
        for (size_t c = 0; c < ch; ++c) {
            const float back = echo[m_pingPong ? size_t(m_partner[c]) : c];
            const double dry = fxkit::Finite(x[c]);
            y[c] = fxkit::ToFloat(m_dry * dry + m_wet * double(e[c]));
            // What goes round the loop stays finite: it is heard again and again.
            w[c] = fxkit::ToFloat(dry + m_feedback * double(back));
        }
        m_pos = m_pos + 1 == m_length ? 0 : m_pos + 1;
    }
}

} // namespace fx
