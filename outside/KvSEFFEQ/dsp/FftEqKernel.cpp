#include "FftEqKernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fx {

namespace {

constexpr double kPi = 3.14159265358979323846;

const wchar_t* const kWindows[] = {L"Hanning",     L"Hamming",         L"Blackman", L"Bartlett",
                                   L"Rectangular", L"Blackman-Harris", nullptr};
const wchar_t* const kAxes[] = {L"log", L"linear", nullptr};

} // namespace

#define KV_FEQ_POINT(label, frequency)                                                             \
    {L"Frequency " label, L"Hz", kFeqMinFrequency, kFeqMaxFrequency, frequency, 0, nullptr, true}, \
    {                                                                                              \
        L"Gain " label, L"dB", kFeqMinGain, kFeqMaxGain, 0, 1, nullptr                             \
    }

// The record's values are the program's (its dialog sets them): hidden from presets.
const fxkit::ParamInfo kFftEqParams[kFeqParamCount] = {
    {L"FFT size", L"", 128, 65536, 4096, 0, nullptr, true, true},
    {L"Overlap", L"", 0, 65535, 2048, 0, nullptr, false, true},
    {L"Window", L"", 0, 5, 0, 0, kWindows, false, true},
    {L"Lowest level", L"dB", kFeqLowestDb, kFeqHighestDb - 1, -96, 0, nullptr, false, true},
    {L"Highest level", L"dB", kFeqLowestDb + 1, kFeqHighestDb, 0, 0, nullptr, false, true},
    {L"Frequency axis", L"", 0, 1, 0, 0, kAxes, false, true},
    {L"Channel", L"", 0, 5, 0, 0, nullptr, false, true},
    {L"Points", L"", 0, kFeqMaxPoints, 2, 0, nullptr},
    KV_FEQ_POINT("1", 100),
    KV_FEQ_POINT("2", 10000),
    KV_FEQ_POINT("3", 1000),
    KV_FEQ_POINT("4", 1000),
    KV_FEQ_POINT("5", 1000),
    KV_FEQ_POINT("6", 1000),
    KV_FEQ_POINT("7", 1000),
    KV_FEQ_POINT("8", 1000),
    KV_FEQ_POINT("9", 1000),
    KV_FEQ_POINT("10", 1000),
    KV_FEQ_POINT("11", 1000),
    KV_FEQ_POINT("12", 1000),
};

#undef KV_FEQ_POINT

bool IsFftSize(double size)
{
    if (!(size >= 128 && size <= 65536) || size != std::floor(size))
        return false;
    const auto n = static_cast<unsigned long>(size);
    return (n & (n - 1)) == 0;
}

std::vector<CurvePoint> CurvePointsOf(const double* values)
{
    const int count = std::clamp(int(std::lround(values[kFeqPointCount])), 0, kFeqMaxPoints);
    std::vector<CurvePoint> curve;
    for (int p = 0; p < count; ++p)
        curve.push_back({values[kFeqFirstPoint + 2 * p], values[kFeqFirstPoint + 2 * p + 1]});
    std::stable_sort(curve.begin(), curve.end(),
                     [](const CurvePoint& a, const CurvePoint& b) { return a.frequency < b.frequency; });
    return curve;
}

double CurveGainDb(const std::vector<CurvePoint>& curve, double frequency)
{
    if (curve.empty())
        return 0;
    if (frequency <= curve.front().frequency)
        return curve.front().gainDb;
    if (frequency >= curve.back().frequency)
        return curve.back().gainDb;
    size_t i = 1;
    while (curve[i].frequency < frequency)
        ++i;
    const CurvePoint& a = curve[i - 1];
    const CurvePoint& b = curve[i];
    if (b.frequency <= a.frequency)
        return b.gainDb;
    const double t = std::log(frequency / a.frequency) / std::log(b.frequency / a.frequency);
    return a.gainDb + t * (b.gainDb - a.gainDb);
}

double AnalysisWindow(int type, size_t i, size_t n)
{
    if (n < 2)
        return 1;
    const double x = double(i) / double(n - 1);
    switch (type) {
    case 0:
        return 0.5 - 0.5 * std::cos(2 * kPi * x);
    case 1:
        return 0.54 - 0.46 * std::cos(2 * kPi * x);
    case 2:
        return 0.42 - 0.5 * std::cos(2 * kPi * x) + 0.08 * std::cos(4 * kPi * x);
    case 3:
        return 1.0 - std::fabs(2 * x - 1);
    case 5:
        return 0.35875 - 0.48829 * std::cos(2 * kPi * x) + 0.14128 * std::cos(4 * kPi * x) -
               0.01168 * std::cos(6 * kPi * x);
    default:
        return 1;
    }
}

// ---- the analysis ----

void SpectrumAverager::Configure(size_t size, size_t overlap, int window, int channels, int channel)
{
    if (!m_fft || m_fft->Size() != size)
        m_fft = std::make_unique<fxkit::RealFft>(size);
    m_size = size;
    m_hop = size - std::min(overlap, size - 1);
    m_channels = std::max(channels, 1);
    m_channel = std::clamp(channel, 0, m_channels - 1);
    m_window.resize(size);
    m_windowSum = 0;
    for (size_t i = 0; i < size; ++i) {
        m_window[i] = AnalysisWindow(window, i, size);
        m_windowSum += m_window[i];
    }
    m_frame.assign(size, 0.0);
    m_power.assign(size / 2 + 1, 0.0);
    m_work.resize(size);
    m_bins.resize(size / 2 + 1);
    m_fill = m_frames = 0;
}

void SpectrumAverager::RunFrame()
{
    for (size_t i = 0; i < m_size; ++i)
        m_work[i] = m_frame[i] * m_window[i];
    m_fft->Forward(m_work.data(), m_bins.data());
    for (size_t k = 0; k < m_power.size(); ++k)
        m_power[k] += std::norm(m_bins[k]);
    ++m_frames;
}

void SpectrumAverager::Add(const float* in, size_t frames)
{
    const size_t c = size_t(m_channels);
    for (size_t i = 0; i < frames; ++i) {
        m_frame[m_fill++] = in[i * c + size_t(m_channel)];
        if (m_fill == m_size) {
            RunFrame();
            // Keep the overlap for the next frame.
            std::copy(m_frame.begin() + long(m_hop), m_frame.end(), m_frame.begin());
            m_fill = m_size - m_hop;
        }
    }
}

std::vector<float> SpectrumAverager::Finish()
{
    if (m_frames == 0 && m_fill > 0) {
        std::fill(m_frame.begin() + long(m_fill), m_frame.end(), 0.0);
        RunFrame();
    }
    std::vector<float> levels;
    if (m_frames == 0)
        return levels;
    levels.resize(m_power.size());
    const double scale = 4.0 / (m_windowSum * m_windowSum * double(m_frames));
    for (size_t k = 0; k < levels.size(); ++k)
        levels[k] = float(10.0 * std::log10(std::max(m_power[k] * scale, 1e-30)));
    m_fill = m_frames = 0;
    std::fill(m_power.begin(), m_power.end(), 0.0);
    return levels;
}

// ---- the equaliser ----

void FftEqKernel::Design(const double* values)
{
    // The same curve at the same rate makes the same filter: the next run (the next track, the
    // next apply) keeps it, and the channel count does not enter the design.
    std::vector<double> key(values + kFeqPointCount, values + kFeqParamCount);
    if (m_rate == m_designedRate && key == m_designedCurve)
        return;
    const auto curve = CurvePointsOf(values);
    std::vector<double> grid(m_fir.GridSize() / 2 + 1);
    for (size_t k = 0; k < grid.size(); ++k)
        grid[k] = fxkit::DbToGain(CurveGainDb(curve, double(k) * m_rate / double(m_fir.GridSize())));
    m_fir.Design(grid);
    m_designedCurve = std::move(key);
    m_designedRate = m_rate;
}

void FftEqKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    if (m_analyse) {
        const size_t size = IsFftSize(values[kFeqFftSize]) ? size_t(values[kFeqFftSize]) : 4096;
        m_averager.Configure(size, size_t(std::max(values[kFeqOverlap], 0.0)), int(values[kFeqWindow]), m_channels,
                             int(values[kFeqChannel]));
        return;
    }
    m_fir.Configure(kBlock, m_channels);
    Design(values);
}

void FftEqKernel::Update(const double* values)
{
    if (!m_analyse)
        Design(values);
}

void FftEqKernel::Reset()
{
    if (!m_analyse)
        m_fir.Reset();
}

void FftEqKernel::Process(const float* in, float* out, size_t frames)
{
    if (m_analyse) {
        m_averager.Add(in, frames);
        std::memcpy(out, in, frames * size_t(m_channels) * sizeof(float));
        return;
    }
    m_fir.Process(in, out, frames);
}

} // namespace fx
