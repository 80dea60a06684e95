#include "BiquadCascadeKernel.h"

#include <cstring>

namespace fxkit {

void BiquadCascadeKernel::Prepare(const StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_chain.Configure(Design(values), m_channels);
}

void BiquadCascadeKernel::Update(const double* values)
{
    m_chain.SetCoefficients(Design(values));
}

void BiquadCascadeKernel::Process(const float* in, float* out, size_t frames)
{
    std::memcpy(out, in, frames * size_t(m_channels) * sizeof(float));
    m_chain.ProcessInPlace(out, frames);
}

} // namespace fxkit
