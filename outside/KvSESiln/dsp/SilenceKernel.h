// Silence: every sample 0.0 (the converter writes 128 at 8 bits).
#pragma once
#include "GeneratorKernel.h"

namespace fx {

class SilenceKernel : public fxkit::GeneratorKernel {
public:
    void Prepare(const fxkit::GeneratorShape& shape, const double* values) override;
    void Generate(float* out, size_t frames) override;

private:
    int m_channels = 2;
};

} // namespace fx
