#include "SmoothingKernel.h"

#include "Finite.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {

const wchar_t* const kWidths[] = {L"3",  L"5",  L"7",  L"9",  L"11", L"13", L"15", L"17", L"19", L"21",  L"23",
                                  L"25", L"27", L"29", L"31", L"33", L"35", L"37", L"39", L"41", L"43",  L"45",
                                  L"47", L"49", L"51", L"53", L"55", L"57", L"59", L"61", L"63", nullptr};
} // namespace

const fxkit::ParamInfo kSmoothingParams[kAvgParamCount] = {
    {L"&Width (samples)", L"", 0, 30, 2, 0, kWidths},
    {L"&Passes", L"", 1, 4, 1, 0, nullptr},
};

double SmoothingResponse(int width, int passes, double f, double rate)
{
    const double pi = 3.14159265358979323846;
    const double x = pi * f / rate;
    const double one = x == 0 ? 1.0 : std::sin(x * width) / (width * std::sin(x));
    return std::pow(std::fabs(one), passes);
}

void SmoothingKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_channels = shape.inChannels;
    m_width = SmoothingWidth(values[kAvgWidth]);
    m_passes = int(values[kAvgPasses]);
    Reset();
}

void SmoothingKernel::Update(const double*)
{
    // The width and passes fix the latency: they apply from the next stream on.
}

void SmoothingKernel::Reset()
{
    m_ring.assign(size_t(m_channels) * size_t(m_passes) * size_t(m_width), 0.0);
    m_sum.assign(size_t(m_channels) * size_t(m_passes), 0.0);
    m_pos = 0;
}

void SmoothingKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels), w = size_t(m_width), passes = size_t(m_passes);
    const double scale = 1.0 / double(m_width);
    for (size_t i = 0; i < frames; ++i) {
        for (size_t c = 0; c < n; ++c) {
            double x = fxkit::Finite(in[i * n + c]);
            for (size_t p = 0; p < passes; ++p) {
                const size_t k = c * passes + p;
                double& slot = m_ring[k * w + m_pos];
                m_sum[k] += x - slot;
                slot = x;
                x = m_sum[k] * scale;
            }
            out[i * n + c] = fxkit::ToFloat(x);
        }
        m_pos = m_pos + 1 == w ? 0 : m_pos + 1;
    }
    // The running sums taken afresh from their rings: what a huge sample leaves behind in the
    // rounding of a sum that has since let it go would otherwise stay.
    for (size_t k = 0; k < m_sum.size(); ++k) {
        double sum = 0;
        for (size_t j = 0; j < w; ++j)
            sum += m_ring[k * w + j];
        m_sum[k] = sum;
    }
}

} // namespace fx
