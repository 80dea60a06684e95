// Reverse phase: the chosen channels negated (exact in float; -1.0 becomes +1.0, which 16-bit
// output clips to 32767). Values 0..5: channel 1..6 reversed (1) or kept (0).
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

namespace fx {

constexpr int kPhaseChannels = 6;
extern const fxkit::ParamInfo kPhaseParams[kPhaseChannels];

class PhaseKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Process(const float* in, float* out, size_t frames) override;

private:
    int m_channels = 2;
    float m_sign[kPhaseChannels] = {-1, -1, -1, -1, -1, -1};
};

} // namespace fx
