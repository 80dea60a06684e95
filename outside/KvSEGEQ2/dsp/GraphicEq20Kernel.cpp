#include "GraphicEq20Kernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fx {

namespace {

const wchar_t* const kModes[] = {L"IIR", L"FIR (linear phase)", nullptr};
const double kPi = 3.14159265358979323846;
const double kBandQ = std::sqrt(std::sqrt(2.0)) / (std::sqrt(2.0) - 1.0);

#define KV_GEQ20_BAND(text)                 \
    {                                       \
        text, L"dB", -20, 20, 0, 1, nullptr \
    }

} // namespace

const fxkit::ParamInfo kGraphicEq20Params[kGeq20ParamCount] = {
    KV_GEQ20_BAND(L"25 Hz"),
    KV_GEQ20_BAND(L"35 Hz"),
    KV_GEQ20_BAND(L"50 Hz"),
    KV_GEQ20_BAND(L"71 Hz"),
    KV_GEQ20_BAND(L"100 Hz"),
    KV_GEQ20_BAND(L"141 Hz"),
    KV_GEQ20_BAND(L"200 Hz"),
    KV_GEQ20_BAND(L"283 Hz"),
    KV_GEQ20_BAND(L"400 Hz"),
    KV_GEQ20_BAND(L"566 Hz"),
    KV_GEQ20_BAND(L"800 Hz"),
    KV_GEQ20_BAND(L"1.1 kHz"),
    KV_GEQ20_BAND(L"1.6 kHz"),
    KV_GEQ20_BAND(L"2.3 kHz"),
    KV_GEQ20_BAND(L"3.2 kHz"),
    KV_GEQ20_BAND(L"4.5 kHz"),
    KV_GEQ20_BAND(L"6.4 kHz"),
    KV_GEQ20_BAND(L"9.1 kHz"),
    KV_GEQ20_BAND(L"12.8 kHz"),
    KV_GEQ20_BAND(L"18.1 kHz"),
    {L"&Master", L"dB", -60, 20, 0, 1, nullptr},
    {L"M&ode", L"", 0, 1, 0, 0, kModes},
};

double GraphicEq20Centre(int band)
{
    return 25.0 * std::pow(2.0, band / 2.0);
}

std::vector<fxkit::BiquadCoefficients> GraphicEq20Kernel::Design(const double* values) const
{
    std::vector<fxkit::BiquadCoefficients> sections(kGeq20Bands);
    for (int b = 0; b < kGeq20Bands; ++b)
        if (GraphicEq20Centre(b) < 0.45 * m_rate && values[b] != 0)
            sections[size_t(b)] =
                fxkit::DesignBiquad(fxkit::FilterKind::Peak, GraphicEq20Centre(b), kBandQ, values[b], m_rate);
    return sections;
}

void GraphicEq20Kernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_fir = values[kGeq20Mode] != 0;
    m_chain.Configure(Design(values), m_channels);
    m_master = float(fxkit::DbToGain(values[kGeq20Master]));
    if (m_fir) {
        if (!m_fft)
            m_fft = std::make_unique<fxkit::Fft>(kFftSize);
        DesignFir();
    }
    Reset();
}

void GraphicEq20Kernel::Update(const double* values)
{
    m_chain.SetCoefficients(Design(values));
    m_master = float(fxkit::DbToGain(values[kGeq20Master]));
    if (m_fir)
        DesignFir();
}

void GraphicEq20Kernel::DesignFir()
{
    // Zero-phase magnitude of the IIR chain on the grid, to a centred, windowed impulse.
    std::vector<std::complex<double>> h(kFftSize);
    for (size_t k = 0; k <= kFftSize / 2; ++k) {
        const double m = m_chain.MagnitudeAt(double(k) * m_rate / double(kFftSize), m_rate);
        h[k] = m;
        if (k > 0 && k < kFftSize / 2)
            h[kFftSize - k] = m;
    }
    m_fft->Inverse(h.data());
    m_kernel.assign(kFftSize, 0.0);
    const long half = long(kTaps / 2);
    for (long t = -half; t <= half; ++t) {
        const double x = double(t + half) / double(kTaps - 1);
        const double w = 0.42 - 0.5 * std::cos(2 * kPi * x) + 0.08 * std::cos(4 * kPi * x);
        m_kernel[size_t(t + half)] = h[size_t((t + long(kFftSize)) % long(kFftSize))].real() * w;
    }
    m_fft->Forward(m_kernel.data());
}

void GraphicEq20Kernel::Reset()
{
    m_chain.Reset();
    const size_t n = size_t(m_channels);
    m_input.assign(kBlock * n, 0.0f);
    m_output.assign(kFftSize * n, 0.0f);
    m_ready.assign(kBlock * n, 0.0f);
    m_fill = 0;
}

void GraphicEq20Kernel::RunBlock()
{
    const size_t n = size_t(m_channels);
    m_work.resize(kFftSize);
    // Two channels per transform: one as the real part, one as the imaginary part.
    for (size_t c = 0; c < n; c += 2) {
        const bool pair = c + 1 < n;
        for (size_t i = 0; i < kBlock; ++i)
            m_work[i] = {m_input[i * n + c], pair ? m_input[i * n + c + 1] : 0.0f};
        std::fill(m_work.begin() + long(kBlock), m_work.end(), 0.0);
        m_fft->Forward(m_work.data());
        for (size_t k = 0; k < kFftSize; ++k)
            m_work[k] *= m_kernel[k]; // the kernel is real and even: both parts stay apart
        m_fft->Inverse(m_work.data());
        for (size_t i = 0; i < kFftSize; ++i) {
            m_output[i * n + c] += float(m_work[i].real());
            if (pair)
                m_output[i * n + c + 1] += float(m_work[i].imag());
        }
    }
    std::copy(m_output.begin(), m_output.begin() + long(kBlock * n), m_ready.begin());
    std::copy(m_output.begin() + long(kBlock * n), m_output.end(), m_output.begin());
    std::fill(m_output.end() - long(kBlock * n), m_output.end(), 0.0f);
}

void GraphicEq20Kernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    if (!m_fir) {
        std::memcpy(out, in, frames * n * sizeof(float));
        m_chain.ProcessInPlace(out, frames);
    } else {
        // Frame i of a block goes in while frame i of the block before comes out.
        for (size_t i = 0; i < frames; ++i) {
            std::memcpy(&m_input[m_fill * n], in + i * n, n * sizeof(float));
            std::memcpy(out + i * n, &m_ready[m_fill * n], n * sizeof(float));
            if (++m_fill == kBlock) {
                RunBlock();
                m_fill = 0;
            }
        }
    }
    if (m_master != 1.0f)
        for (size_t k = 0; k < frames * n; ++k)
            out[k] *= m_master;
}

} // namespace fx
