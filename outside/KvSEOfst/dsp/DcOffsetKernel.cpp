#include "DcOffsetKernel.h"

#include "Finite.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {
const wchar_t* const kModes[] = {L"Remove the measured offset", L"Add a fixed value", nullptr};
const wchar_t* const kDepths[] = {L"8 bits", L"16 bits", L"32 bits", nullptr};
} // namespace

const fxkit::ParamInfo kDcParams[kDcParamCount] = {
    {L"&Mode", L"", 0, 1, 0, 0, kModes},
    {L"&Value", L"steps", -32768, 32767, 0, 0, nullptr},
    {L"Depth", L"", 0, 2, 1, 0, kDepths, false, true},
};

double DcUnitsPerFullScale(int depthIndex)
{
    return depthIndex == 0 ? 128.0 : depthIndex == 2 ? 10000.0 : 32768.0;
}

int DcDepthBits(int depthIndex)
{
    return depthIndex == 0 ? 8 : depthIndex == 2 ? 32 : 16;
}

void DcValueRange(int depthIndex, double& minimum, double& maximum)
{
    const double units = DcUnitsPerFullScale(depthIndex);
    minimum = -units;
    maximum = depthIndex == 2 ? units : units - 1;
}

void DcOffsetKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_channels = shape.inChannels;
    Update(values);
}

void DcOffsetKernel::Update(const double* values)
{
    m_mode = int(values[kDcMode]);
    const int depth = int(values[kDcDepth]);
    double lo, hi;
    DcValueRange(depth, lo, hi);
    m_add = std::clamp(values[kDcValue], lo, hi) / DcUnitsPerFullScale(depth);
}

void DcOffsetKernel::BeginMeasure()
{
    m_sum.assign(size_t(m_channels), 0.0);
    m_mean.clear();
    m_count = 0;
}

void DcOffsetKernel::Measure(const float* in, size_t frames)
{
    // A sample that is no number or infinite counts as silence: it would make the mean so.
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < m_channels; ++c) {
            const float x = in[i * size_t(m_channels) + size_t(c)];
            m_sum[size_t(c)] += std::isfinite(x) ? x : 0.0f;
        }
    m_count += frames;
}

void DcOffsetKernel::EndMeasure()
{
    m_mean.assign(size_t(m_channels), 0.0);
    if (m_count)
        for (int c = 0; c < m_channels; ++c)
            m_mean[size_t(c)] = m_sum[size_t(c)] / double(m_count);
}

double DcOffsetKernel::Mean(int channel) const
{
    return size_t(channel) < m_mean.size() ? m_mean[size_t(channel)] : 0.0;
}

void DcOffsetKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    for (size_t c = 0; c < n; ++c) {
        // An unmeasured or differently shaped stream is left as it is.
        const double shift = m_mode == 1 ? m_add : (m_mean.size() == n ? -m_mean[c] : 0.0);
        for (size_t i = 0; i < frames; ++i)
            out[i * n + c] = fxkit::ToFloat(double(in[i * n + c]) + shift);
    }
}

} // namespace fx
