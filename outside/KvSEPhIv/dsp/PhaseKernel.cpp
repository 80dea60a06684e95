#include "PhaseKernel.h"

namespace fx {

namespace {
const wchar_t* const kChoices[] = {L"Keep", L"Reverse", nullptr};
}

const fxkit::ParamInfo kPhaseParams[kPhaseChannels] = {
    {L"Channel &1 (left)", L"", 0, 1, 1, 0, kChoices}, {L"Channel &2 (right)", L"", 0, 1, 1, 0, kChoices},
    {L"Channel &3", L"", 0, 1, 1, 0, kChoices},        {L"Channel &4", L"", 0, 1, 1, 0, kChoices},
    {L"Channel &5", L"", 0, 1, 1, 0, kChoices},        {L"Channel &6", L"", 0, 1, 1, 0, kChoices},
};

void PhaseKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_channels = shape.inChannels;
    Update(values);
}

void PhaseKernel::Update(const double* values)
{
    for (int c = 0; c < kPhaseChannels; ++c)
        m_sign[c] = values[c] != 0 ? -1.0f : 1.0f;
}

void PhaseKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t n = size_t(m_channels);
    for (size_t i = 0; i < frames; ++i)
        for (size_t c = 0; c < n; ++c)
            out[i * n + c] = in[i * n + c] * m_sign[c];
}

} // namespace fx
