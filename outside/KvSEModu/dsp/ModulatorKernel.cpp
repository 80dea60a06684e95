#include "ModulatorKernel.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {
const wchar_t* const kKinds[] = {L"Tremolo", L"Ring modulation", L"Vibrato", nullptr};
const wchar_t* const kShapes[] = {L"Sine", L"Triangle", L"Square", L"Saw", nullptr};
const double kPi = 3.14159265358979323846;
} // namespace

const fxkit::ParamInfo kModulatorParams[kModParamCount] = {
    {L"&Kind", L"", 0, 2, 0, 0, kKinds},
    {L"&Rate", L"Hz", 0.1, 5000, 5, 2, nullptr, true},
    {L"&Depth", L"%", 0, 100, 50, 0, nullptr},
    {L"&Shape", L"", 0, 3, 0, 0, kShapes},
};

double ModulatorMaxRate(int kind)
{
    return kind == 1 ? 5000.0 : 20.0;
}

void ModulatorKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_centre = size_t(std::lround(0.005 * m_rate));
    m_size = 2 * m_centre + 3;
    Update(values);
    Reset();
}

void ModulatorKernel::Update(const double* values)
{
    m_kind = int(values[kModKind]);
    m_shape = int(values[kModShape]);
    m_step = std::min(values[kModRate], ModulatorMaxRate(m_kind)) / m_rate;
    m_depth = values[kModDepth] / 100.0;
    SyncPhasor();
}

void ModulatorKernel::Reset()
{
    m_phase = 0;
    SyncPhasor();
    m_ring.assign(m_size * size_t(m_channels), 0.0f);
    m_pos = 0;
}

void ModulatorKernel::SyncPhasor()
{
    m_sin = std::sin(2 * kPi * m_phase);
    m_cos = std::cos(2 * kPi * m_phase);
    m_turnSin = std::sin(2 * kPi * m_step);
    m_turnCos = std::cos(2 * kPi * m_step);
    m_sinceSync = 0;
}

double ModulatorKernel::Oscillator()
{
    switch (m_shape) {
    case 1:
        return m_phase < 0.5 ? 4 * m_phase - 1 : 3 - 4 * m_phase;
    case 2:
        return m_phase < 0.5 ? 1.0 : -1.0;
    case 3:
        return 2 * m_phase - 1;
    default: {
        const double value = m_sin;
        if (++m_sinceSync == 4096) {
            // The phase advances after this call: sync to where it will be.
            const double saved = m_phase;
            m_phase += m_step;
            m_phase -= std::floor(m_phase);
            SyncPhasor();
            m_phase = saved;
        } else {
            const double s = m_sin * m_turnCos + m_cos * m_turnSin;
            m_cos = m_cos * m_turnCos - m_sin * m_turnSin;
            m_sin = s;
        }
        return value;
    }
    }
}

void ModulatorKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    for (size_t i = 0; i < frames; ++i) {
        const double m = Oscillator();
        m_phase += m_step;
        m_phase -= std::floor(m_phase);
        const float* x = in + i * n;
        float* y = out + i * n;
        for (size_t c = 0; c < n; ++c)
            m_ring[m_pos * n + c] = x[c];
        // Every kind reads through the delay line, so the latency stays when the kind changes.
        if (m_kind == 0 || m_kind == 1) {
            const double g = m_kind == 0 ? 1.0 - m_depth * (1.0 - m) / 2.0 : (1.0 - m_depth) + m_depth * m;
            const size_t k = (m_pos + m_size - m_centre) % m_size;
            for (size_t c = 0; c < n; ++c)
                y[c] = float(m_ring[k * n + c] * g);
        } else {
            const double delay = double(m_centre) * (1.0 + m_depth * m);
            const double at = double(m_pos) - delay + double(m_size);
            const size_t k0 = size_t(at) % m_size, k1 = (k0 + 1) % m_size;
            const double frac = at - std::floor(at);
            for (size_t c = 0; c < n; ++c)
                y[c] = float(m_ring[k0 * n + c] * (1.0 - frac) + m_ring[k1 * n + c] * frac);
        }
        m_pos = m_pos + 1 == m_size ? 0 : m_pos + 1;
    }
}

} // namespace fx
