// Gain: each channel times its own gain; a change glides linearly over 10 ms so that it
// does not click. Values: gains of channels 1..6 in dB.
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

namespace fx {

constexpr int kGainChannels = 6;
extern const fxkit::ParamInfo kGainParams[kGainChannels];

class GainKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Process(const float* in, float* out, size_t frames) override;

private:
    int m_channels = 2;
    size_t m_rampFrames = 441;
    size_t m_rampLeft = 0;
    double m_gain[kGainChannels] = {1, 1, 1, 1, 1, 1};
    double m_target[kGainChannels] = {1, 1, 1, 1, 1, 1};
    double m_step[kGainChannels] = {};
};

} // namespace fx
