#include "SilenceKernel.h"

#include <algorithm>

namespace fx {

void SilenceKernel::Prepare(const fxkit::GeneratorShape& shape, const double*)
{
    m_channels = shape.channels;
}

void SilenceKernel::Generate(float* out, size_t frames)
{
    std::fill(out, out + frames * size_t(m_channels), 0.0f);
}

} // namespace fx
