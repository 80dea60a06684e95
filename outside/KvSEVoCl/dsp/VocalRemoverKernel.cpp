#include "VocalRemoverKernel.h"

#include <algorithm>
#include <cmath>

namespace fx {

const fxkit::ParamInfo kVocalRemoverParams[kVocParamCount] = {
    {L"&Low edge", L"Hz", 50, 20000, 150, 0, nullptr, true, false, true},
    {L"&High edge", L"Hz", 50, 20000, 8000, 0, nullptr, true, false, true},
    {L"&Strength", L"%", 0, 100, 100, 0, nullptr},
};

VocalRemoverKernel::VocalRemoverKernel() : m_fft(kSize), m_window(kSize), m_spectrum(kSize)
{
    const double pi = 3.14159265358979323846;
    for (size_t i = 0; i < kSize; ++i)
        m_window[i] = std::sqrt(0.5 - 0.5 * std::cos(2 * pi * double(i) / double(kSize)));
}

void VocalRemoverKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    Update(values);
    Reset();
}

void VocalRemoverKernel::Update(const double* values)
{
    double low = values[kVocLow], high = values[kVocHigh];
    if (low > high)
        std::swap(low, high);
    const double bin = m_rate / double(kSize);
    m_lowBin = size_t(std::ceil(low / bin));
    m_highBin = std::min(size_t(std::floor(high / bin)), kSize / 2);
    m_strength = values[kVocStrength] / 100.0;
}

void VocalRemoverKernel::Reset()
{
    m_history.assign(2 * kSize, 0.0f);
    m_write = 0;
    m_sum.assign(2 * kSize, 0.0);
    // The hop's worth of frames from before the start: silence.
    m_queue.assign(2 * kHop, 0.0f);
    m_queueRead = 0;
    m_sinceFrame = 0;
}

void VocalRemoverKernel::RunFrame()
{
    // Both channels in one transform: left real, right imaginary.
    for (size_t i = 0; i < kSize; ++i) {
        const size_t k = (m_write + i) % kSize;
        m_spectrum[i] = {m_history[2 * k] * m_window[i], m_history[2 * k + 1] * m_window[i]};
    }
    m_fft.Forward(m_spectrum.data());
    for (size_t k = m_lowBin; k <= m_highBin && k <= kSize / 2; ++k) {
        const std::complex<double> z = m_spectrum[k], zm = std::conj(m_spectrum[(kSize - k) % kSize]);
        const std::complex<double> left = (z + zm) * 0.5, right = (z - zm) * std::complex<double>(0, -0.5);
        const double power = std::norm(left) + std::norm(right);
        if (power <= 0)
            continue;
        const double s = std::max(0.0, 2.0 * (left * std::conj(right)).real() / power);
        const double s2 = s * s, s4 = s2 * s2;
        const double g = 1.0 - m_strength * s4 * s4;
        m_spectrum[k] *= g;
        if (k != 0 && k != kSize / 2)
            m_spectrum[kSize - k] *= g;
    }
    m_fft.Inverse(m_spectrum.data());
    // Square-root Hann on both sides at a quarter hop sums to 2.
    for (size_t i = 0; i < kSize; ++i) {
        m_sum[2 * i] += 0.5 * m_spectrum[i].real() * m_window[i];
        m_sum[2 * i + 1] += 0.5 * m_spectrum[i].imag() * m_window[i];
    }
    // The first hop is complete: queue it and move the sum on.
    m_queue.erase(m_queue.begin(), m_queue.begin() + long(2 * m_queueRead));
    m_queueRead = 0;
    for (size_t i = 0; i < 2 * kHop; ++i)
        m_queue.push_back(float(m_sum[i]));
    std::copy(m_sum.begin() + long(2 * kHop), m_sum.end(), m_sum.begin());
    std::fill(m_sum.end() - long(2 * kHop), m_sum.end(), 0.0);
}

void VocalRemoverKernel::Process(const float* in, float* out, size_t frames)
{
    for (size_t i = 0; i < frames; ++i) {
        m_history[2 * m_write] = in[2 * i];
        m_history[2 * m_write + 1] = in[2 * i + 1];
        m_write = m_write + 1 == kSize ? 0 : m_write + 1;
        if (++m_sinceFrame == kHop) {
            m_sinceFrame = 0;
            RunFrame();
        }
        out[2 * i] = m_queue[2 * m_queueRead];
        out[2 * i + 1] = m_queue[2 * m_queueRead + 1];
        ++m_queueRead;
    }
}

} // namespace fx
