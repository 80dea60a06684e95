// Hum removal: a cascade of second-order notches at f0, 2 f0, ... (1 + harmonics) f0, each of
// the same width in Hz (Q = f / width), so the high harmonics are cut as narrowly as the
// fundamental and the sound between them passes untouched. Notches above 0.45 of the rate are
// left out.
#pragma once
#include "Biquad.h"
#include "EffectKernel.h"
#include "ParamInfo.h"

namespace fx {

enum HumParam { kHumMains, kHumHarmonics, kHumWidth, kHumParamCount };
extern const fxkit::ParamInfo kHumParams[kHumParamCount];

class HumKernel : public fxkit::EffectKernel {
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
