// Noise gate: the largest channel's level (a peak follower that rises at once and falls in
// 20 ms) opens the gate above the threshold and closes it after the hold time below
// threshold - hysteresis. The gain glides to 1 with the attack time and to the range with the
// release time; all channels share it.
#pragma once
#include "EffectKernel.h"
#include "Envelope.h"
#include "ParamInfo.h"

namespace fx {

enum NoiseGateParam {
    kGateThreshold,
    kGateHysteresis,
    kGateRange,
    kGateAttack,
    kGateHold,
    kGateRelease,
    kGateParamCount
};
extern const fxkit::ParamInfo kNoiseGateParams[kGateParamCount];

class NoiseGateKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    void Process(const float* in, float* out, size_t frames) override;

private:
    double m_rate = 44100;
    int m_channels = 2;
    double m_open = 0.01, m_close = 0.005, m_floor = 0.001;
    double m_attack = 1, m_release = 1;
    size_t m_holdFrames = 0, m_below = 0;
    bool m_isOpen = false;
    double m_gain = 0.001;
    fxkit::EnvelopeFollower m_level;
};

} // namespace fx
