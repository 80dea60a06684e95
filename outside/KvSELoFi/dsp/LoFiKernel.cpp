#include "LoFiKernel.h"

#include "FastMath.h"

#include <algorithm>
#include <cmath>

#include <emmintrin.h>

namespace fx {

const fxkit::ParamInfo kLoFiParams[kLoFiParamCount] = {
    {L"&Bits", L"", 1, 16, 8, 0, nullptr},
    {L"&Hold rate", L"Hz", 500, 192000, 22050, 0, nullptr, true},
    {L"Band &limit", L"Hz", 500, 20000, 20000, 0, nullptr, true, false, true},
    {L"&Mix", L"%", 0, 100, 100, 0, nullptr},
};

void LoFiKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_held.assign(size_t(m_channels), 0.0f);
    m_lowPass.Configure({}, m_channels);
    Update(values);
    Reset();
}

void LoFiKernel::Update(const double* values)
{
    const int bits = int(values[kLoFiBits]);
    m_levels = std::ldexp(1.0, bits);
    m_step = 2.0 / m_levels;
    m_hold = std::min(1.0, values[kLoFiHold] / m_rate);
    m_wet = values[kLoFiMix] / 100.0;
    const double band = values[kLoFiBand];
    m_band = band < 0.44 * m_rate;
    const auto sections = m_band ? fxkit::Butterworth(fxkit::FilterKind::LowPass, 4, band, m_rate)
                                 : std::vector<fxkit::BiquadCoefficients>{};
    if (sections.size() == m_lowPass.SectionCount())
        m_lowPass.SetCoefficients(sections);
    else
        m_lowPass.Configure(sections, m_channels);
}

void LoFiKernel::Reset()
{
    m_phase = 1; // the first sample is taken
    std::fill(m_held.begin(), m_held.end(), 0.0f);
    m_lowPass.Reset();
}

void LoFiKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    // In float the scaling by a power of two is exact and the levels are small integers, so
    // this rounds exactly as in double; clipping to integer bounds before rounding equals after.
    const float scale = float(1.0 / m_step), step = float(m_step);
    const float top = float(m_levels / 2 - 1), bottom = float(-m_levels / 2);
    const auto quantise = [&](float x) {
        float v = x * scale;
        v = v == v ? v : 0.0f;
        v = v > bottom ? v : bottom;
        v = v < top ? v : top;
        return float(fxkit::RoundToInt(v)) * step;
    };
    size_t i = 0;
    if (m_hold >= 1.0 && m_phase >= 1.0) { // every sample taken: four at a time
        const __m128 vScale = _mm_set1_ps(scale), vStep = _mm_set1_ps(step);
        const __m128 vTop = _mm_set1_ps(top), vBottom = _mm_set1_ps(bottom);
        const size_t samples = frames * n;
        size_t k = 0;
        for (; k + 4 <= samples; k += 4) {
            __m128 v = _mm_mul_ps(_mm_loadu_ps(in + k), vScale);
            v = _mm_and_ps(v, _mm_cmpord_ps(v, v));
            v = _mm_min_ps(_mm_max_ps(v, vBottom), vTop);
            _mm_storeu_ps(out + k, _mm_mul_ps(_mm_cvtepi32_ps(fxkit::RoundToInt4(v)), vStep));
        }
        for (; k < samples; ++k)
            out[k] = quantise(in[k]);
        if (frames > 0)
            std::copy(out + (frames - 1) * n, out + frames * n, m_held.begin());
        i = frames;
    }
    // The phase and the held values in locals, which the stores to out cannot touch.
    const auto hold = [&](float* held) {
        double phase = m_phase;
        for (; i < frames; ++i) {
            if (phase >= 1.0) {
                phase -= 1.0; // below 2 here: the hold step is at most 1
                for (size_t c = 0; c < n; ++c)
                    held[c] = quantise(in[i * n + c]);
            }
            phase += m_hold;
            for (size_t c = 0; c < n; ++c)
                out[i * n + c] = held[c];
        }
        m_phase = phase;
    };
    float local[8];
    if (n <= 8) {
        std::copy(m_held.begin(), m_held.end(), local);
        hold(local);
        std::copy(local, local + n, m_held.begin());
    } else {
        hold(m_held.data());
    }
    if (m_band)
        m_lowPass.ProcessInPlace(out, frames);
    if (m_wet < 1.0)
        for (size_t k = 0; k < frames * n; ++k)
            out[k] = float(m_wet * out[k] + (1.0 - m_wet) * in[k]);
}

} // namespace fx
