// Smoothing: a moving average of an odd width w centred on each sample, run p times; the
// response is (sin(pi f w / fs) / (w sin(pi f / fs)))^p and DC passes exactly. Each pass
// delays by (w - 1) / 2 frames, which the kernel reports as its latency.
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum SmoothingParam { kAvgWidth, kAvgPasses, kAvgParamCount };
extern const fxkit::ParamInfo kSmoothingParams[kAvgParamCount];
inline int SmoothingWidth(double index)
{
    return 3 + 2 * int(index);
}
// The response the formula gives at f.
double SmoothingResponse(int width, int passes, double f, double rate);

class SmoothingKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return size_t(m_passes) * size_t(m_width - 1) / 2; }
    void Process(const float* in, float* out, size_t frames) override;

private:
    int m_channels = 2;
    int m_width = 3, m_passes = 1;
    // Per channel and pass: a ring of the last width inputs and their sum.
    std::vector<double> m_ring, m_sum;
    size_t m_pos = 0;
};

} // namespace fx
