// Mono to stereo: copy (both channels the input), pan (constant power: cos and sin of
// (p + 1) pi / 4), or wide: complementary combs L = x + g x(t - 12 ms), R = x - g x(t - 12 ms)
// with g = 0.7 width, whose mean is the input again.
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum MonoToStereoParam { kM2sMethod, kM2sPan, kM2sWidth, kM2sParamCount };
extern const fxkit::ParamInfo kMonoToStereoParams[kM2sParamCount];

class MonoToStereoKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    void Process(const float* in, float* out, size_t frames) override;

private:
    int m_method = 0;
    float m_left = 1, m_right = 1, m_comb = 0;
    std::vector<float> m_delay; // ring of past input
    size_t m_pos = 0;
};

} // namespace fx
