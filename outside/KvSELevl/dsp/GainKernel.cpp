#include "GainKernel.h"

#include "Finite.h"

#include <emmintrin.h>

#include <algorithm>

namespace fx {

const fxkit::ParamInfo kGainParams[kGainChannels] = {
    {L"Channel &1 (left)", L"dB", -60, 20, 0, 1, nullptr}, {L"Channel &2 (right)", L"dB", -60, 20, 0, 1, nullptr},
    {L"Channel &3", L"dB", -60, 20, 0, 1, nullptr},        {L"Channel &4", L"dB", -60, 20, 0, 1, nullptr},
    {L"Channel &5", L"dB", -60, 20, 0, 1, nullptr},        {L"Channel &6", L"dB", -60, 20, 0, 1, nullptr},
};

void GainKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_channels = std::clamp(shape.inChannels, 1, kGainChannels);
    m_rampFrames = std::max<size_t>(1, size_t(shape.rate * 0.01));
    for (int c = 0; c < kGainChannels; ++c)
        m_gain[c] = m_target[c] = fxkit::DbToGain(values[c]);
    m_rampLeft = 0;
}

void GainKernel::Update(const double* values)
{
    for (int c = 0; c < kGainChannels; ++c) {
        m_target[c] = fxkit::DbToGain(values[c]);
        m_step[c] = (m_target[c] - m_gain[c]) / double(m_rampFrames);
    }
    m_rampLeft = m_rampFrames;
}

namespace {

// Stereo frames times float gains, stopped at the largest float; a NaN passes. Two frames per
// step, the same products and bounds as one sample at a time.
void GainStereo(const float* in, float* out, size_t frames, float l, float r)
{
    const float top = float(fxkit::kLargestFloat);
    const __m128 gains = _mm_setr_ps(l, r, l, r);
    const __m128 high = _mm_set1_ps(top), low = _mm_set1_ps(-top);
    const size_t pairs = frames / 2;
    for (size_t i = 0; i < pairs; ++i) {
        const __m128 x = _mm_mul_ps(_mm_loadu_ps(in + 4 * i), gains);
        // max(low, x) and min(high, .) answer x when x is a NaN, as the scalar form does.
        _mm_storeu_ps(out + 4 * i, _mm_min_ps(high, _mm_max_ps(low, x)));
    }
    if (frames % 2) {
        const size_t i = frames - 1;
        out[2 * i] = std::min(std::max(in[2 * i] * l, -top), top);
        out[2 * i + 1] = std::min(std::max(in[2 * i + 1] * r, -top), top);
    }
}

// Mono samples times a double gain, made float and stopped at the largest float (a NaN passes):
// the scalar form two samples at a time.
void GainMono(const float* in, float* out, size_t frames, double gain)
{
    const __m128d g = _mm_set1_pd(gain);
    const __m128d high = _mm_set1_pd(fxkit::kLargestFloat), low = _mm_set1_pd(-fxkit::kLargestFloat);
    size_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const __m128 x = _mm_loadu_ps(in + i);
        const __m128d a = _mm_mul_pd(_mm_cvtps_pd(x), g);
        const __m128d b = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)), g);
        const __m128 fa = _mm_cvtpd_ps(_mm_min_pd(high, _mm_max_pd(low, a)));
        const __m128 fb = _mm_cvtpd_ps(_mm_min_pd(high, _mm_max_pd(low, b)));
        _mm_storeu_ps(out + i, _mm_movelh_ps(fa, fb));
    }
    for (; i < frames; ++i)
        out[i] = fxkit::ToFloat(in[i] * gain);
}

} // namespace

void GainKernel::Process(const float* in, float* out, size_t frames)
{
    const int n = m_channels;
    size_t i = 0;
    for (; i < frames && m_rampLeft > 0; ++i, --m_rampLeft)
        for (int c = 0; c < n; ++c) {
            m_gain[c] += m_step[c];
            out[i * n + c] = fxkit::ToFloat(in[i * n + c] * m_gain[c]);
        }
    if (m_rampLeft == 0)
        std::copy(m_target, m_target + kGainChannels, m_gain);
    if (n == 2) {
        GainStereo(in + 2 * i, out + 2 * i, frames - i, float(m_gain[0]), float(m_gain[1]));
        return;
    }
    if (n == 1) {
        GainMono(in + i, out + i, frames - i, m_gain[0]);
        return;
    }
    for (; i < frames; ++i)
        for (int c = 0; c < n; ++c)
            out[i * n + c] = fxkit::ToFloat(in[i * n + c] * m_gain[c]);
}

} // namespace fx
