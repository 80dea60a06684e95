// Parametric equaliser: six cookbook sections in a chain, one per band that is not off.
#pragma once
#include "Biquad.h"
#include "EffectKernel.h"
#include "ParamInfo.h"

namespace fx {

constexpr int kPeqBands = 6;
enum ParametricEqField { kPeqType, kPeqFreq, kPeqGain, kPeqQ, kPeqFields };
constexpr int kPeqParamCount = kPeqBands * kPeqFields;
extern const fxkit::ParamInfo kParametricEqParams[kPeqParamCount];

class ParametricEqKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override { m_chain.Reset(); }
    void Process(const float* in, float* out, size_t frames) override;
    double MagnitudeAt(double f) const { return m_chain.MagnitudeAt(f, m_rate); }

private:
    std::vector<fxkit::BiquadCoefficients> Design(const double* values) const;

    double m_rate = 44100;
    int m_channels = 2;
    fxkit::BiquadCascade m_chain;
};

} // namespace fx
