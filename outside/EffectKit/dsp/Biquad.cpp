#include "Biquad.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace fxkit {

namespace {

const double kPi = 3.14159265358979323846;

double SafeFrequency(double freq, double rate)
{
    return std::clamp(freq, 1.0, 0.499 * rate);
}

} // namespace

double BiquadCoefficients::MagnitudeAt(double f, double rate) const
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * f / rate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2));
}

BiquadCoefficients DesignBiquad(FilterKind kind, double freq, double q, double gainDb, double rate)
{
    const double w0 = 2.0 * kPi * SafeFrequency(freq, rate) / rate;
    const double cw = std::cos(w0), sw = std::sin(w0);
    const bool boost = kind == FilterKind::Peak || kind == FilterKind::LowShelf || kind == FilterKind::HighShelf;
    if (boost && gainDb == 0)
        return BiquadCoefficients{}; // exactly unity, and skipped when run
    const double A = std::pow(10.0, gainDb / 40.0);
    if (q <= 0)
        q = 1.0 / std::sqrt(2.0);
    const double alpha = sw / (2.0 * q);
    double b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    switch (kind) {
    case FilterKind::LowPass:
        b0 = (1 - cw) / 2, b1 = 1 - cw, b2 = (1 - cw) / 2, a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
        break;
    case FilterKind::HighPass:
        b0 = (1 + cw) / 2, b1 = -(1 + cw), b2 = (1 + cw) / 2, a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
        break;
    case FilterKind::BandPass: // 0 dB at the centre
        b0 = alpha, b1 = 0, b2 = -alpha, a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
        break;
    case FilterKind::Notch:
        b0 = 1, b1 = -2 * cw, b2 = 1, a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
        break;
    case FilterKind::Peak:
        b0 = 1 + alpha * A, b1 = -2 * cw, b2 = 1 - alpha * A;
        a0 = 1 + alpha / A, a1 = -2 * cw, a2 = 1 - alpha / A;
        break;
    case FilterKind::LowShelf:
    case FilterKind::HighShelf: {
        const double s = 2 * std::sqrt(A) * alpha;
        const double sign = kind == FilterKind::LowShelf ? 1.0 : -1.0;
        b0 = A * ((A + 1) - sign * (A - 1) * cw + s);
        b1 = sign * 2 * A * ((A - 1) - sign * (A + 1) * cw);
        b2 = A * ((A + 1) - sign * (A - 1) * cw - s);
        a0 = (A + 1) + sign * (A - 1) * cw + s;
        a1 = -sign * 2 * ((A - 1) + sign * (A + 1) * cw);
        a2 = (A + 1) + sign * (A - 1) * cw - s;
        break;
    }
    }
    return BiquadCoefficients{b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

std::vector<BiquadCoefficients> Butterworth(FilterKind kind, int order, double freq, double rate)
{
    order = std::clamp(order, 1, 8);
    std::vector<BiquadCoefficients> sections;
    // Pole pairs of the analogue prototype give the sections' Q values.
    for (int k = 0; k < order / 2; ++k) {
        const double q = 1.0 / (2.0 * std::sin(kPi * (2 * k + 1) / (2.0 * order)));
        sections.push_back(DesignBiquad(kind, freq, q, 0, rate));
    }
    if (order % 2) { // the real pole: a first-order section through the bilinear transform
        const double k = std::tan(kPi * SafeFrequency(freq, rate) / rate);
        BiquadCoefficients c;
        if (kind == FilterKind::HighPass)
            c = {1 / (1 + k), -1 / (1 + k), 0, (k - 1) / (k + 1), 0};
        else
            c = {k / (1 + k), k / (1 + k), 0, (k - 1) / (k + 1), 0};
        sections.push_back(c);
    }
    return sections;
}

void BiquadCascade::Configure(const std::vector<BiquadCoefficients>& sections, int channels)
{
    m_sections = sections;
    m_channels = std::max(channels, 1);
    m_state.assign(m_sections.size() * 2 * size_t(m_channels), 0.0);
}

void BiquadCascade::SetCoefficients(const std::vector<BiquadCoefficients>& sections)
{
    if (sections.size() != m_sections.size()) {
        Configure(sections, m_channels);
        return;
    }
    m_sections = sections;
}

void BiquadCascade::Reset()
{
    std::fill(m_state.begin(), m_state.end(), 0.0);
}

double BiquadCascade::Tick(int channel, double x)
{
    double* z = m_state.data() + size_t(channel) * m_sections.size() * 2;
    for (const BiquadCoefficients& c : m_sections) {
        const double y = c.b0 * x + z[0];
        z[0] = c.b1 * x - c.a1 * y + z[1];
        z[1] = c.b2 * x - c.a2 * y;
        x = y;
        z += 2;
    }
    return x;
}

void BiquadCascade::ProcessInPlace(float* frames, size_t count)
{
    if (m_sections.empty())
        return;
    const size_t n = m_sections.size();
    for (int ch = 0; ch < m_channels; ++ch) {
        // Section by section over the block keeps each section's state in registers.
        for (size_t s = 0; s < n; ++s) {
            const BiquadCoefficients c = m_sections[s];
            if (c.IsUnity())
                continue;
            double* z = m_state.data() + (size_t(ch) * n + s) * 2;
            double z0 = z[0], z1 = z[1];
            float* p = frames + ch;
            for (size_t i = 0; i < count; ++i, p += m_channels) {
                const double x = *p;
                const double y = c.b0 * x + z0;
                z0 = c.b1 * x - c.a1 * y + z1;
                z1 = c.b2 * x - c.a2 * y;
                *p = float(y);
            }
            z[0] = z0, z[1] = z1;
        }
    }
}

double BiquadCascade::MagnitudeAt(double f, double rate) const
{
    double m = 1.0;
    for (const BiquadCoefficients& c : m_sections)
        m *= c.MagnitudeAt(f, rate);
    return m;
}

} // namespace fxkit
