#include "ReverbKernel.h"

#include "Finite.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {

constexpr double kMaxPreDelayMs = 200;
// Line lengths in ms: no two share a factor at 44.1 kHz, so the echoes do not pile up.
constexpr double kLineMs[ReverbKernel::kLines] = {29.7, 37.1, 41.1, 43.7, 53.3, 59.9, 67.3, 73.1};
// Early reflections: times (ms) and levels; reflection k goes to channel k mod channels.
constexpr int kTaps = 12;
constexpr double kTapMs[kTaps] = {7.1, 11.3, 16.9, 21.7, 27.1, 33.3, 39.7, 46.3, 53.9, 61.7, 70.1, 79.3};
constexpr double kMaxTapMs = 79.3;

double TapLevel(int k)
{
    return 0.7 * std::pow(0.85, k);
}

// Sign of line i in output channel c: rows 1..6 of the Hadamard matrix (row 0 is the
// Householder matrix's own direction).
float Sign(int c, int i)
{
    return (__builtin_popcount(unsigned((c + 1) & i)) & 1) ? -1.0f : 1.0f;
}

size_t Frames(double ms, double rate)
{
    return size_t(std::lround(ms * rate / 1000.0));
}

} // namespace

const fxkit::ParamInfo kReverbParams[kRevParamCount] = {
    {L"&Reverb time", L"s", 0.1, 20, 1.8, 2, nullptr, true},
    {L"&Pre-delay", L"ms", 0, kMaxPreDelayMs, 20, 0, nullptr},
    {L"&Damping", L"%", 0, 100, 40, 0, nullptr},
    {L"&Width", L"%", 0, 100, 100, 0, nullptr},
    {L"&Early reflections", L"%", 0, 100, 50, 0, nullptr},
    {L"&Mix", L"%", 0, 100, 30, 0, nullptr},
};

uint64_t ReverbKernel::TailFrames(const double* values, double rate) const
{
    if (values[kRevMix] <= 0)
        return 0;
    return uint64_t(std::ceil((values[kRevPreDelay] + kMaxTapMs + 1500.0 * values[kRevTime]) * rate / 1000.0));
}

void ReverbKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    for (int i = 0; i < kLines; ++i)
        m_lineLength[i] = std::max<size_t>(1, Frames(kLineMs[i], m_rate));
    Update(values);
    Reset();
}

void ReverbKernel::Update(const double* values)
{
    const double t = values[kRevTime];
    double meanSquare = 0;
    for (int i = 0; i < kLines; ++i) {
        const double g = std::pow(10.0, -3.0 * double(m_lineLength[i]) / (t * m_rate));
        m_gain[i] = float(g);
        meanSquare += g * g / kLines;
    }
    m_norm = float(std::sqrt(1.0 - meanSquare));
    m_damp = float(0.7 * values[kRevDamping] / 100.0);
    m_preDelay = Frames(values[kRevPreDelay], m_rate);
    m_early = float(values[kRevEarly] / 100.0);
    m_width = float(values[kRevWidth] / 100.0);
    m_wet = float(values[kRevMix] / 100.0);
    m_dry = 1.0f - m_wet;
}

void ReverbKernel::Reset()
{
    m_input.assign(Frames(kMaxPreDelayMs + kMaxTapMs, m_rate) + 2, 0.0f);
    m_inputPos = 0;
    for (int i = 0; i < kLines; ++i) {
        m_lines[i].assign(m_lineLength[i], 0.0f);
        m_pos[i] = 0;
        m_lowpass[i] = 0;
    }
}

void ReverbKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t ch = size_t(m_channels);
    const size_t inputLength = m_input.size();
    size_t taps[kTaps];
    float tapGain[kTaps], sign[7][kLines];
    for (int k = 0; k < kTaps; ++k) {
        taps[k] = m_preDelay + Frames(kTapMs[k], m_rate);
        tapGain[k] = m_early * float(TapLevel(k));
    }
    for (int c = 0; c < 7; ++c)
        for (int i = 0; i < kLines; ++i)
            sign[c][i] = Sign(c, i);
    float wet[6];
    for (size_t n = 0; n < frames; ++n) {
        const float* x = in + n * ch;
        double mean = 0;
        for (size_t c = 0; c < ch; ++c)
            mean += fxkit::Finite(x[c]);
        // The lines sum and feed back what comes in: far beyond any sound, but never near the
        // end of the float range.
        m_input[m_inputPos] = float(fxkit::Bounded(mean / double(ch), 1e30));
        auto past = [&](size_t d) {
            const size_t at = m_inputPos >= d ? m_inputPos - d : m_inputPos + inputLength - d;
            return m_input[at];
        };
        const float feed = past(m_preDelay);

        float o[kLines], v[kLines], sum = 0;
        for (int i = 0; i < kLines; ++i) {
            o[i] = m_lines[i][m_pos[i]];
            m_lowpass[i] += (1.0f - m_damp) * (o[i] - m_lowpass[i]);
            v[i] = m_gain[i] * m_lowpass[i];
            sum += v[i];
        }
        const float reflect = 2.0f / kLines * sum;
        for (int i = 0; i < kLines; ++i) {
            m_lines[i][m_pos[i]] = v[i] - reflect + sign[6][i] * feed;
            m_pos[i] = m_pos[i] + 1 == m_lineLength[i] ? 0 : m_pos[i] + 1;
        }
        for (size_t c = 0; c < ch; ++c) {
            float s = 0;
            for (int i = 0; i < kLines; ++i)
                s += sign[c][i] * o[i];
            wet[c] = m_norm * s * 0.35355339f; // 1 / sqrt(8)
        }
        for (int k = 0; k < kTaps; ++k)
            wet[size_t(k) % ch] += tapGain[k] * past(taps[k]);
        if (ch >= 2) {
            const float a = 0.5f * (1.0f + m_width), b = 0.5f * (1.0f - m_width);
            const float l = wet[0], r = wet[1];
            wet[0] = a * l + b * r;
            wet[1] = a * r + b * l;
        }
        float* y = out + n * ch;
        for (size_t c = 0; c < ch; ++c)
            y[c] = fxkit::ToFloat(m_dry * double(x[c]) + m_wet * double(wet[c]));
        m_inputPos = m_inputPos + 1 == inputLength ? 0 : m_inputPos + 1;
    }
}

} // namespace fx
