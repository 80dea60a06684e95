#include "Biquad.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <emmintrin.h>

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

namespace {

// A section's coefficients for both lanes of a register.
struct Lanes {
    __m128d b0, b1, b2, a1, a2;
};

const __m128d kFloatMax = _mm_set1_pd(3.4028234663852886e38);

// Two channels of interleaved frames (`stride` floats apart) through every section: z holds each
// section's two states for both channels.
void RunPair(const Lanes* sections, size_t count, __m128d* z, float* p, size_t frames, size_t stride)
{
    const __m128d low = _mm_sub_pd(_mm_setzero_pd(), kFloatMax);
    for (size_t i = 0; i < frames; ++i, p += stride) {
        __m128d x = _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(p))));
        for (size_t s = 0; s < count; ++s) {
            const Lanes& c = sections[s];
            const __m128d y = _mm_add_pd(_mm_mul_pd(c.b0, x), z[2 * s]);
            z[2 * s] = _mm_add_pd(_mm_sub_pd(_mm_mul_pd(c.b1, x), _mm_mul_pd(c.a1, y)), z[2 * s + 1]);
            z[2 * s + 1] = _mm_sub_pd(_mm_mul_pd(c.b2, x), _mm_mul_pd(c.a2, y));
            x = y;
        }
        x = _mm_and_pd(x, _mm_cmpord_pd(x, x)); // a NaN goes out as silence
        x = _mm_max_pd(_mm_min_pd(x, kFloatMax), low);
        _mm_store_sd(reinterpret_cast<double*>(p), _mm_castps_pd(_mm_cvtpd_ps(x)));
    }
}

inline float ToFloat(double x)
{
    x = x == x ? x : 0.0;
    return float(std::min(std::max(x, -3.4028234663852886e38), 3.4028234663852886e38));
}

// One channel: the same in plain doubles; a lone section keeps its state in registers.
void RunOne(const BiquadCoefficients* const* sections, size_t count, double* z, float* p, size_t frames,
            size_t stride)
{
    if (count == 1) {
        const BiquadCoefficients c = *sections[0];
        double z0 = z[0], z1 = z[1];
        for (size_t i = 0; i < frames; ++i, p += stride) {
            const double x = *p, y = c.b0 * x + z0;
            z0 = c.b1 * x - c.a1 * y + z1;
            z1 = c.b2 * x - c.a2 * y;
            *p = ToFloat(y);
        }
        z[0] = z0, z[1] = z1;
        return;
    }
    for (size_t i = 0; i < frames; ++i, p += stride) {
        double x = *p;
        for (size_t s = 0; s < count; ++s) {
            const BiquadCoefficients& c = *sections[s];
            const double y = c.b0 * x + z[2 * s];
            z[2 * s] = c.b1 * x - c.a1 * y + z[2 * s + 1];
            z[2 * s + 1] = c.b2 * x - c.a2 * y;
            x = y;
        }
        *p = ToFloat(x);
    }
}

} // namespace

void BiquadCascade::ProcessInPlace(float* frames, size_t count)
{
    if (m_sections.empty() || count == 0)
        return;
    const size_t n = m_sections.size(), channels = size_t(m_channels);
    // The sections that do something, a group at a time (a group in a frame's pass, groups one
    // after another over the block).
    constexpr size_t kGroup = 32;
    Lanes lanes[kGroup];
    const BiquadCoefficients* active[kGroup];
    size_t used[kGroup];
    __m128d z[2 * kGroup];
    double one[2 * kGroup];
    for (size_t first = 0; first < n;) {
        size_t group = 0;
        for (; first < n && group < kGroup; ++first) {
            const BiquadCoefficients& c = m_sections[first];
            if (c.IsUnity())
                continue;
            lanes[group] = {_mm_set1_pd(c.b0), _mm_set1_pd(c.b1), _mm_set1_pd(c.b2), _mm_set1_pd(c.a1),
                            _mm_set1_pd(c.a2)};
            active[group] = &c;
            used[group++] = first;
        }
        if (group == 0)
            break;
        for (size_t ch = 0; ch < channels; ch += 2) {
            double* left = m_state.data() + ch * n * 2;
            if (ch + 1 == channels) {
                for (size_t k = 0; k < group; ++k)
                    one[2 * k] = left[used[k] * 2], one[2 * k + 1] = left[used[k] * 2 + 1];
                RunOne(active, group, one, frames + ch, count, channels);
                for (size_t k = 0; k < group; ++k)
                    left[used[k] * 2] = one[2 * k], left[used[k] * 2 + 1] = one[2 * k + 1];
                continue;
            }
            double* right = left + n * 2;
            for (size_t k = 0; k < group; ++k)
                for (size_t j = 0; j < 2; ++j)
                    z[2 * k + j] = _mm_set_pd(right[used[k] * 2 + j], left[used[k] * 2 + j]);
            RunPair(lanes, group, z, frames + ch, count, channels);
            for (size_t k = 0; k < group; ++k)
                for (size_t j = 0; j < 2; ++j) {
                    double both[2];
                    _mm_storeu_pd(both, z[2 * k + j]);
                    left[used[k] * 2 + j] = both[0];
                    right[used[k] * 2 + j] = both[1];
                }
        }
    }
    Settle();
}

void BiquadCascade::Settle()
{
    for (double& z : m_state) {
        const double a = std::fabs(z);
        if (!(a >= 1e-30 && a <= 1e300))
            z = 0.0;
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
