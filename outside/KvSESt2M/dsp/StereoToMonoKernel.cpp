#include "StereoToMonoKernel.h"

namespace fx {

namespace {
const wchar_t* const kMethods[] = {L"Mean of both", L"Left only", L"Right only", L"Balance", nullptr};
}

const fxkit::ParamInfo kStereoToMonoParams[kS2mParamCount] = {
    {L"&Method", L"", 0, 3, 0, 0, kMethods},
    {L"&Balance", L"%", -100, 100, 0, 0, nullptr},
};

void StereoToMonoKernel::Prepare(const fxkit::StreamShape&, const double* values)
{
    Update(values);
}

void StereoToMonoKernel::Update(const double* values)
{
    const int method = int(values[kS2mMethod]);
    const double p = values[kS2mBalance] / 100.0;
    const double a = method == 0 ? 0.5 : method == 1 ? 1.0 : method == 2 ? 0.0 : (1.0 - p) / 2.0;
    m_left = float(a);
    m_right = float(1.0 - a);
}

void StereoToMonoKernel::Process(const float* in, float* out, size_t frames)
{
    for (size_t i = 0; i < frames; ++i)
        out[i] = in[2 * i] * m_left + in[2 * i + 1] * m_right;
}

} // namespace fx
