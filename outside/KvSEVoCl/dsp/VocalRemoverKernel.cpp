#include "VocalRemoverKernel.h"

#include <algorithm>
#include <cmath>

namespace fx {

const fxkit::ParamInfo kVocalRemoverParams[kVocParamCount] = {
    {L"&Low edge", L"Hz", 50, 20000, 150, 0, nullptr, true, false, true},
    {L"&High edge", L"Hz", 50, 20000, 8000, 0, nullptr, true, false, true},
    {L"&Strength", L"%", 0, 100, 100, 0, nullptr},
};

VocalRemoverKernel::VocalRemoverKernel() : m_fft(kSize), m_window(kSize), m_re(kSize), m_im(kSize)
{
    const double pi = 3.14159265358979323846;
    for (size_t i = 0; i < kSize; ++i)
        m_window[i] = float(std::sqrt(0.5 - 0.5 * std::cos(2 * pi * double(i) / double(kSize))));
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
    // Both channels in one transform: left real, right imaginary. A gain shared by the channels
    // scales bins k and size - k alike, so the spectra need not be taken apart.
    float *re = m_re.data(), *im = m_im.data();
    const float scaled = m_stream.GatherPair(m_window.data(), re, im);
    m_fft.ForwardSplit(re, im);
    for (size_t k = m_lowBin; k <= m_highBin && k <= kSize / 2; ++k) {
        const size_t p = m_fft.PositionOf(k), q = m_fft.PositionOf((kSize - k) % kSize);
        // left = (Z[k] + conj Z[-k]) / 2, right = (Z[k] - conj Z[-k]) / 2i, each times 2.
        const double lr = double(re[p]) + re[q], li = double(im[p]) - im[q];
        const double rr = double(im[p]) + im[q], ri = double(re[q]) - re[p];
        const double power = lr * lr + li * li + rr * rr + ri * ri;
        if (power <= 0)
            continue;
        const double s = std::max(0.0, 2.0 * (lr * rr + li * ri) / power);
        const double s2 = s * s, s4 = s2 * s2;
        const float g = float(1.0 - m_strength * s4 * s4);
        re[p] *= g;
        im[p] *= g;
        if (k != 0 && k != kSize / 2) {
            re[q] *= g;
            im[q] *= g;
        }
    }
    m_fft.InverseSplit(re, im);
    // Square-root Hann on both sides at a quarter hop sums to 2; the inverse is not scaled.
    m_stream.AddPair(re, im, m_window.data(), 0.5 / double(kSize) / scaled);
}

void VocalRemoverKernel::Process(const float* in, float* out, size_t frames)
{
    m_stream.Process(in, out, frames, [this] { RunFrame(); });
}

} // namespace fx
