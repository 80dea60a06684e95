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
    m_stream.Configure(kSize, kHop, 2);
}

void VocalRemoverKernel::RunFrame()
{
    // Both channels in one transform: left real, right imaginary.
    m_stream.GatherPair(m_window.data(), m_spectrum.data());
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
    m_stream.AddPair(m_spectrum.data(), m_window.data(), 0.5);
}

void VocalRemoverKernel::Process(const float* in, float* out, size_t frames)
{
    m_stream.Process(in, out, frames, [this] { RunFrame(); });
}

} // namespace fx
