// Parametric equaliser: six cookbook sections in a chain, one per band that is not off.
#pragma once
#include "BiquadCascadeKernel.h"
#include "ParamInfo.h"

namespace fx {

constexpr int kPeqBands = 6;
enum ParametricEqField { kPeqType, kPeqFreq, kPeqGain, kPeqQ, kPeqFields };
constexpr int kPeqParamCount = kPeqBands * kPeqFields;
extern const fxkit::ParamInfo kParametricEqParams[kPeqParamCount];

class ParametricEqKernel : public fxkit::BiquadCascadeKernel {
protected:
    std::vector<fxkit::BiquadCoefficients> Design(const double* values) const override;
};

} // namespace fx
