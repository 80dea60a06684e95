#include "NoiseSubtractionKernel.h"

#include "Finite.h"

#include <algorithm>
#include <cmath>

namespace fx {

const fxkit::ParamInfo kSpectralSubtractionParams[kSpsParamCount] = {
    {L"&Reduction", L"dB", 0, 40, 20, 1, nullptr},
    {L"&Smoothing", L"%", 0, 98, 90, 0, nullptr},
};

void SpectralSubtractionKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_channels = size_t(shape.inChannels);
    m_size = fxkit::NoiseProfile::SizeAllowed(m_profile.fftSize) ? m_profile.fftSize : 2048;
    m_hop = m_size / 4;
    m_fft = std::make_unique<fxkit::RealFft>(m_size);
    m_window = fxkit::HannWindow(m_size);
    m_x.assign(m_size, 0.0);
    m_bins.assign(m_size / 2 + 1, {});
    Update(values);
    Reset();
}

void SpectralSubtractionKernel::Update(const double* values)
{
    m_floor = fxkit::DbToGain(-values[kSpsReduction]);
    m_alpha = values[kSpsSmoothing] / 100.0;
}

void SpectralSubtractionKernel::Reset()
{
    m_inFifo.assign(m_channels, std::vector<float>(m_size, 0.0f));
    m_outFifo.assign(m_channels, std::vector<float>(m_hop, 0.0f));
    m_accum.assign(m_channels, std::vector<double>(m_size + m_hop, 0.0));
    m_lastClean.assign(m_channels, std::vector<double>(m_size / 2 + 1, 0.0));
    m_rover = m_size - m_hop;
}

void SpectralSubtractionKernel::Frame()
{
    const size_t bins = m_size / 2 + 1;
    // Hann analysis and synthesis at hop size/4 sum to 1.5.
    const double norm = 1.0 / 1.5;
    for (size_t c = 0; c < m_channels; ++c) {
        const std::vector<double>* noise = c < m_profile.power.size()
                                               ? &m_profile.power[c]
                                               : (m_profile.power.empty() ? nullptr : &m_profile.power[0]);
        for (size_t i = 0; i < m_size; ++i)
            m_x[i] = m_window[i] * m_inFifo[c][i];
        m_fft->Forward(m_x.data(), m_bins.data());
        for (size_t k = 0; k < bins; ++k) {
            const double power = std::norm(m_bins[k]);
            double gain = 1.0;
            if (noise && (*noise)[k] > 0) {
                const double n = (*noise)[k];
                const double post = power / n;
                const double prior = m_alpha * m_lastClean[c][k] / n + (1.0 - m_alpha) * std::max(post - 1.0, 0.0);
                gain = std::max(prior / (1.0 + prior), m_floor);
            }
            m_lastClean[c][k] = gain * gain * power;
            m_bins[k] *= gain;
        }
        m_fft->Inverse(m_bins.data(), m_x.data());
        std::vector<double>& acc = m_accum[c];
        for (size_t i = 0; i < m_size; ++i)
            acc[i] += m_window[i] * m_x[i] * norm;
        for (size_t i = 0; i < m_hop; ++i)
            m_outFifo[c][i] = fxkit::ToFloat(acc[i]);
        std::move(acc.begin() + long(m_hop), acc.end(), acc.begin());
        std::fill(acc.end() - long(m_hop), acc.end(), 0.0);
        std::move(m_inFifo[c].begin() + long(m_hop), m_inFifo[c].end(), m_inFifo[c].begin());
    }
}

void SpectralSubtractionKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t latency = m_size - m_hop; // where the next input goes after a frame
    for (size_t i = 0; i < frames; ++i) {
        for (size_t c = 0; c < m_channels; ++c) {
            m_inFifo[c][m_rover] = float(fxkit::Finite(in[i * m_channels + c]));
            out[i * m_channels + c] = m_outFifo[c][m_rover - latency];
        }
        if (++m_rover == m_size) {
            m_rover = latency;
            Frame();
        }
    }
}

} // namespace fx
