#include "GraphicEq20Kernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fx {

namespace {

const wchar_t* const kModes[] = {L"IIR", L"FIR (linear phase)", nullptr};
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
        m_convolver.Configure(kBlock, m_channels);
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
    // The IIR chain's magnitude on the grid, as a linear-phase filter.
    std::vector<double> grid(m_convolver.GridSize() / 2 + 1);
    for (size_t k = 0; k < grid.size(); ++k)
        grid[k] = m_chain.MagnitudeAt(double(k) * m_rate / double(m_convolver.GridSize()), m_rate);
    m_convolver.Design(grid);
}

void GraphicEq20Kernel::Reset()
{
    m_chain.Reset();
    if (m_fir)
        m_convolver.Reset();
}

void GraphicEq20Kernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    if (!m_fir) {
        std::memcpy(out, in, frames * n * sizeof(float));
        m_chain.ProcessInPlace(out, frames);
    } else
        m_convolver.Process(in, out, frames);
    if (m_master != 1.0f)
        for (size_t k = 0; k < frames * n; ++k)
            out[k] *= m_master;
}

} // namespace fx
