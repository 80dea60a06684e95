// Lo-Fi: each sample is held until the hold clock (a fractional phase at the hold rate) takes
// the next; it is rounded to one of 2^bits levels spread over -1..1 (step 2 / 2^bits); a
// fourth-order Butterworth low pass at the band limit follows (off at 0.44 of the rate and
// above); the result is mixed with the dry input.
#pragma once
#include "Biquad.h"
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum LoFiParam { kLoFiBits, kLoFiHold, kLoFiBand, kLoFiMix, kLoFiParamCount };
extern const fxkit::ParamInfo kLoFiParams[kLoFiParamCount];

class LoFiKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    void Process(const float* in, float* out, size_t frames) override;

private:
    double m_rate = 44100;
    int m_channels = 2;
    double m_levels = 256, m_step = 1.0 / 128, m_hold = 1, m_phase = 1, m_wet = 1;
    bool m_band = false;
    std::vector<float> m_held;
    fxkit::BiquadCascade m_lowPass;
};

} // namespace fx
