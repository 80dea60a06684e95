#include "MonoToStereoKernel.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {
const wchar_t* const kMethods[] = {L"Copy to both", L"Pan", L"Wide", nullptr};
}

const fxkit::ParamInfo kMonoToStereoParams[kM2sParamCount] = {
    {L"&Method", L"", 0, 2, 0, 0, kMethods},
    {L"&Pan", L"%", -100, 100, 0, 0, nullptr},
    {L"&Width", L"%", 0, 100, 50, 0, nullptr},
};

void MonoToStereoKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_delay.assign(std::max<size_t>(1, size_t(shape.rate * 0.012)), 0.0f);
    m_pos = 0;
    Update(values);
}

void MonoToStereoKernel::Update(const double* values)
{
    m_method = int(values[kM2sMethod]);
    const double theta = (values[kM2sPan] / 100.0 + 1.0) * 3.14159265358979323846 / 4.0;
    m_left = m_method == 1 ? float(std::cos(theta)) : 1.0f;
    m_right = m_method == 1 ? float(std::sin(theta)) : 1.0f;
    m_comb = m_method == 2 ? float(0.7 * values[kM2sWidth] / 100.0) : 0.0f;
}

void MonoToStereoKernel::Reset()
{
    std::fill(m_delay.begin(), m_delay.end(), 0.0f);
    m_pos = 0;
}

void MonoToStereoKernel::Process(const float* in, float* out, size_t frames)
{
    if (m_method != 2) {
        for (size_t i = 0; i < frames; ++i) {
            out[2 * i] = in[i] * m_left;
            out[2 * i + 1] = in[i] * m_right;
        }
        return;
    }
    const size_t n = m_delay.size();
    for (size_t i = 0; i < frames; ++i) {
        const float past = m_comb * m_delay[m_pos];
        m_delay[m_pos] = in[i];
        m_pos = m_pos + 1 == n ? 0 : m_pos + 1;
        out[2 * i] = in[i] + past;
        out[2 * i + 1] = in[i] - past;
    }
}

} // namespace fx
