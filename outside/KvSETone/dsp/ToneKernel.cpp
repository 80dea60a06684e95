#include "ToneKernel.h"

#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {
const wchar_t* const kWaves[] = {L"Sine", L"Square", L"Triangle", L"Sawtooth", nullptr};
const wchar_t* const kSweeps[] = {L"None", L"Linear", L"Logarithmic", nullptr};
constexpr double kTwoPi = 6.28318530717958647692;
constexpr double kPi = 3.14159265358979323846;
} // namespace

const fxkit::ParamInfo kToneParams[kToneParamCount] = {
    {L"&Waveform", L"", 0, 3, 0, 0, kWaves},
    {L"&Frequency", L"Hz", 1, 20000, 1000, 2, nullptr, true, false, true},
    {L"&Level", L"dBFS", -60, 0, -6, 2, nullptr},
    {L"&Sweep", L"", 0, 2, 0, 0, kSweeps},
    {L"&End frequency", L"Hz", 1, 20000, 10000, 2, nullptr, true, false, true},
};

void ToneKernel::Prepare(const fxkit::GeneratorShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.channels;
    m_length = std::max<int64_t>(shape.frames, 1);
    m_wave = int(values[kToneWave]);
    m_sweep = int(values[kToneSweep]);
    // Limited again here: the rate may have changed after the values were set.
    const double top = 0.45 * m_rate;
    m_f0 = std::min(values[kToneFrequency], top);
    m_f1 = std::min(values[kToneEndFrequency], top);
    m_gain = fxkit::DbToGain(values[kToneLevel]);
    m_logStep = std::pow(m_f1 / m_f0, 1.0 / double(m_length));
    m_pos = 0;
    m_phase = 0;
    m_table.clear();
    if (m_wave != kSine && m_sweep == kNoSweep) {
        const size_t harmonics = size_t(std::max(1.0, std::ceil(0.5 * m_rate / m_f0) - 1));
        size_t size = 1024;
        while (size < 128 * harmonics)
            size *= 2;
        // Very low tones would take long to sum into their large table: they stay summed per sample.
        if (size * harmonics <= (size_t(1) << 24)) {
            m_table.resize(size + 1);
            for (size_t n = 0; n < size; ++n)
                m_table[n] = float(Wave(kTwoPi * double(n) / double(size), m_f0));
            m_table[size] = m_table[0];
        }
    }
}

double ToneKernel::Frequency() const
{
    if (m_sweep == kNoSweep)
        return m_f0;
    const double t = double(m_pos) / double(m_length);
    return m_sweep == kLinearSweep ? m_f0 + (m_f1 - m_f0) * t : m_f0 * std::pow(m_f1 / m_f0, t);
}

double ToneKernel::Wave(double x, double f) const
{
    double s1, c1;
    fxkit::FastSinCos(x, &s1, &c1);
    if (m_wave == kSine)
        return s1;
    const double below = 0.5 * m_rate / f; // k f < rate / 2
    const int harmonics = int(below) - (double(int(below)) == below ? 1 : 0);
    const double c2 = 2.0 * c1;
    double prev = 0.0, cur = s1, sum = 0.0;
    for (int k = 1; k <= harmonics; ++k) {
        switch (m_wave) {
        case kSquare:
            if (k & 1)
                sum += cur / k;
            break;
        case kTriangle:
            if (k & 1)
                sum += ((k >> 1) & 1 ? -cur : cur) / (double(k) * k);
            break;
        default:
            sum += (k & 1 ? cur : -cur) / k;
            break;
        }
        const double next = c2 * cur - prev;
        prev = cur;
        cur = next;
    }
    switch (m_wave) {
    case kSquare:
        return 4.0 / kPi * sum;
    case kTriangle:
        return 8.0 / (kPi * kPi) * sum;
    default:
        return 2.0 / kPi * sum;
    }
}

void ToneKernel::Generate(float* out, size_t frames)
{
    const size_t channels = size_t(m_channels);
    if (!m_table.empty()) {
        const size_t size = m_table.size() - 1;
        const double toIndex = double(size) / kTwoPi, step = kTwoPi * m_f0 / m_rate;
        for (size_t i = 0; i < frames; ++i, ++m_pos) {
            const double at = m_phase * toIndex;
            const size_t n = std::min(size - 1, size_t(at));
            const double frac = at - double(n);
            const float v = float(m_gain * (m_table[n] + frac * (m_table[n + 1] - m_table[n])));
            std::fill(out + i * channels, out + (i + 1) * channels, v);
            m_phase += step;
            if (m_phase >= kTwoPi)
                m_phase -= kTwoPi;
        }
        return;
    }
    // A logarithmic sweep steps by a constant ratio from the block's first frequency.
    double logF = Frequency();
    for (size_t i = 0; i < frames; ++i, ++m_pos) {
        const double f = m_sweep == kLogSweep ? logF : Frequency();
        const float v = float(m_gain * Wave(m_phase, f));
        std::fill(out + i * channels, out + (i + 1) * channels, v);
        m_phase += kTwoPi * f / m_rate;
        if (m_phase >= kTwoPi)
            m_phase -= kTwoPi;
        logF *= m_logStep;
    }
}

} // namespace fx
