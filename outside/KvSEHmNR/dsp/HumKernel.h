// Hum removal: a cascade of second-order notches at f0, 2 f0, ... (1 + harmonics) f0, each of
// the same width in Hz (Q = f / width), so the high harmonics are cut as narrowly as the
// fundamental and the sound between them passes untouched. Notches above 0.45 of the rate are
// left out.
#pragma once
#include "BiquadCascadeKernel.h"
#include "ParamInfo.h"

namespace fx {

enum HumParam { kHumMains, kHumHarmonics, kHumWidth, kHumParamCount };
extern const fxkit::ParamInfo kHumParams[kHumParamCount];

class HumKernel : public fxkit::BiquadCascadeKernel {
protected:
    std::vector<fxkit::BiquadCoefficients> Design(const double* values) const override;
};

} // namespace fx
