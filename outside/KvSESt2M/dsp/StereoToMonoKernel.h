// Stereo to mono: out = a L + b R with (a, b) = (1/2, 1/2) for the mean, (1, 0) left, (0, 1)
// right, and ((1 - p) / 2, (1 + p) / 2) for the balance p in -1..1; a + b = 1 always, so equal
// channels come out unchanged.
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

namespace fx {

enum StereoToMonoParam { kS2mMethod, kS2mBalance, kS2mParamCount };
extern const fxkit::ParamInfo kStereoToMonoParams[kS2mParamCount];

class StereoToMonoKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Process(const float* in, float* out, size_t frames) override;

private:
    float m_left = 0.5f, m_right = 0.5f;
};

} // namespace fx
