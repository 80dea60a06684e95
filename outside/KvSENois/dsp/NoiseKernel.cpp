#include "NoiseKernel.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {
const wchar_t* const kColours[] = {L"White", L"Pink", L"Brown", nullptr};
constexpr double kTwoPi = 6.28318530717958647692;
constexpr double kLowest = 10.0; // Hz: below it pink and brown level off

// splitmix64: a full-period generator, quick and well mixed.
inline uint64_t Next(uint64_t& s)
{
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in [-sqrt 3, sqrt 3): unit RMS.
inline double White(uint64_t& s)
{
    return (double(Next(s) >> 11) * (1.0 / 9007199254740992.0) * 2.0 - 1.0) * 1.7320508075688772;
}
} // namespace

const fxkit::ParamInfo kNoiseParams[kNoiseParamCount] = {
    {L"&Colour", L"", 0, 2, 0, 0, kColours},
    {L"&Level (RMS)", L"dBFS", -60, 0, -20, 2, nullptr},
};

double NoiseKernel::Filter(Channel& c, double x) const
{
    if (m_colour == kBrown) {
        c.z[0] = x + m_leak * c.z[0];
        return c.z[0];
    }
    if (m_colour == kPink) {
        for (size_t k = 0; k < m_pole.size(); ++k) {
            // Direct form I per section: z[2k] last input, z[2k+1] last output.
            const double y = x - m_zero[k] * c.z[2 * k] + m_pole[k] * c.z[2 * k + 1];
            c.z[2 * k] = x;
            c.z[2 * k + 1] = y;
            x = y;
        }
    }
    return x;
}

void NoiseKernel::Prepare(const fxkit::GeneratorShape& shape, const double* values)
{
    m_colour = int(values[kNoiseColour]);
    m_channels = shape.channels;
    m_pole.clear();
    m_zero.clear();
    for (double f = kLowest; f * std::sqrt(2.0) < 0.5 * shape.rate; f *= 2.0) {
        m_pole.push_back(std::exp(-kTwoPi * f / shape.rate));
        m_zero.push_back(std::exp(-kTwoPi * f * std::sqrt(2.0) / shape.rate));
    }
    m_leak = std::exp(-kTwoPi * kLowest / shape.rate);
    const size_t states = m_colour == kPink ? 2 * m_pole.size() : 1;
    m_chan.assign(size_t(m_channels), Channel{});
    for (size_t c = 0; c < m_chan.size(); ++c) {
        m_chan[c].state = 0x5EED0000ull + c * 0x1000193ull;
        m_chan[c].z.assign(states, 0.0);
    }
    // RMS of the filter for unit white input: the root of its impulse response's energy.
    double energy = 1.0;
    if (m_colour != kWhite) {
        Channel probe;
        probe.z.assign(states, 0.0);
        energy = 0.0;
        const size_t n = size_t(40.0 * shape.rate / (kTwoPi * kLowest)) + 1;
        for (size_t i = 0; i < n; ++i) {
            const double y = Filter(probe, i == 0 ? 1.0 : 0.0);
            energy += y * y;
        }
    }
    m_gain = fxkit::DbToGain(values[kNoiseLevel]) / std::sqrt(energy);
}

void NoiseKernel::Generate(float* out, size_t frames)
{
    const size_t channels = size_t(m_channels), sections = m_pole.size();
    for (size_t c = 0; c < channels; ++c) {
        Channel& ch = m_chan[c];
        uint64_t state = ch.state;
        float* o = out + c;
        // One loop per colour, its state in locals.
        if (m_colour == kWhite) {
            for (size_t i = 0; i < frames; ++i)
                o[i * channels] = float(m_gain * White(state));
        } else if (m_colour == kBrown) {
            double y = ch.z[0];
            for (size_t i = 0; i < frames; ++i) {
                y = White(state) + m_leak * y;
                o[i * channels] = float(m_gain * y);
            }
            ch.z[0] = y;
        } else {
            double* z = ch.z.data();
            const double* pole = m_pole.data();
            const double* zero = m_zero.data();
            for (size_t i = 0; i < frames; ++i) {
                double x = White(state);
                for (size_t k = 0; k < sections; ++k) {
                    const double y = x - zero[k] * z[2 * k] + pole[k] * z[2 * k + 1];
                    z[2 * k] = x;
                    z[2 * k + 1] = y;
                    x = y;
                }
                o[i * channels] = float(m_gain * x);
            }
        }
        ch.state = state;
    }
}

} // namespace fx
