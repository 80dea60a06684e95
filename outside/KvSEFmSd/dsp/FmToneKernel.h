// FM tone: level sin(carrier phase + index sin(modulator phase)), both phases in double from
// 0 each run. With index I the partial at carrier + k modulator has amplitude J_k(I).
#pragma once
#include "GeneratorKernel.h"
#include "ParamInfo.h"

namespace fx {

enum FmParam { kFmCarrier, kFmModulator, kFmIndex, kFmLevel, kFmParamCount };
extern const fxkit::ParamInfo kFmParams[kFmParamCount];

class FmToneKernel : public fxkit::GeneratorKernel {
public:
    void Prepare(const fxkit::GeneratorShape& shape, const double* values) override;
    void Generate(float* out, size_t frames) override;

private:
    double m_carrierStep = 0, m_modulatorStep = 0, m_index = 0, m_gain = 1;
    double m_carrier = 0, m_modulator = 0;
    int m_channels = 2;
};

} // namespace fx
