#include "FilterKernel.h"

#include <algorithm>
#include <cstring>

namespace fx {

namespace {
const wchar_t* const kTypes[] = {L"Low pass", L"High pass", L"Band pass", L"Band stop", nullptr};
}

const fxkit::ParamInfo kFilterParams[kFltParamCount] = {
    {L"&Type", L"", 0, 3, 0, 0, kTypes},
    {L"&Cutoff / low edge", L"Hz", 20, 20000, 1000, 0, nullptr, true, false, true},
    {L"&High edge", L"Hz", 20, 20000, 4000, 0, nullptr, true, false, true},
    {L"&Order", L"", 2, 8, 4, 0, nullptr},
};

void FilterKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    Design(values, false);
}

void FilterKernel::Update(const double* values)
{
    Design(values, true);
}

void FilterKernel::Design(const double* values, bool keepState)
{
    using fxkit::FilterKind;
    const int type = int(values[kFltType]);
    const int order = int(values[kFltOrder]);
    const double top = 0.45 * m_rate;
    double low = std::min(values[kFltLow], top), high = std::min(values[kFltHigh], top);
    if (type >= 2 && low > high)
        std::swap(low, high);
    std::vector<fxkit::BiquadCoefficients> a, b;
    switch (type) {
    case 0:
        a = fxkit::Butterworth(FilterKind::LowPass, order, low, m_rate);
        break;
    case 1:
        a = fxkit::Butterworth(FilterKind::HighPass, order, low, m_rate);
        break;
    case 2:
        a = fxkit::Butterworth(FilterKind::HighPass, order, low, m_rate);
        b = fxkit::Butterworth(FilterKind::LowPass, order, high, m_rate);
        a.insert(a.end(), b.begin(), b.end());
        b.clear();
        break;
    default:
        a = fxkit::Butterworth(FilterKind::LowPass, order, low, m_rate);
        b = fxkit::Butterworth(FilterKind::HighPass, order, high, m_rate);
        break;
    }
    if (keepState && type == m_type) {
        m_a.SetCoefficients(a);
        m_b.SetCoefficients(b);
    } else {
        m_a.Configure(a, m_channels);
        m_b.Configure(b, m_channels);
    }
    m_type = type;
}

void FilterKernel::Reset()
{
    m_a.Reset();
    m_b.Reset();
}

double FilterKernel::MagnitudeAt(double f) const
{
    if (m_type != 3)
        return m_a.MagnitudeAt(f, m_rate);
    return m_a.MagnitudeAt(f, m_rate) + m_b.MagnitudeAt(f, m_rate); // approximate: branches add
}

void FilterKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t samples = frames * size_t(m_channels);
    std::memcpy(out, in, samples * sizeof(float));
    if (m_type == 3) {
        m_branch.assign(in, in + samples);
        m_b.ProcessInPlace(m_branch.data(), frames);
    }
    m_a.ProcessInPlace(out, frames);
    if (m_type == 3)
        for (size_t i = 0; i < samples; ++i)
            out[i] += m_branch[i];
}

} // namespace fx
