// Peak normalisation in two passes: the measuring pass finds the peak (of all channels
// together, or of each channel), the applying pass scales so that the peak lands on the
// target. Silence and an unmeasured stream stay as they are. Value 0: the target in dBFS.
#pragma once
#include "EffectKernel.h"

#include <atomic>
#include <vector>

namespace fxkit {

class PeakNormalizeKernel : public EffectKernel {
public:
    explicit PeakNormalizeKernel(bool perChannel) : m_perChannel(perChannel) {}
    void Prepare(const StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Process(const float* in, float* out, size_t frames) override;
    bool Measures() const override { return true; }
    void BeginMeasure() override;
    void Measure(const float* in, size_t frames) override;
    void EndMeasure() override;
    // The measured peak of all channels, 0 before a measurement; safe to ask from another
    // thread while a stream runs.
    double MeasuredPeak() const { return m_peakOfAll.load(); }

private:
    void Gains();

    bool m_perChannel;
    int m_channels = 2;
    double m_target = 1.0;
    std::vector<double> m_peak, m_measured, m_gain;
    std::atomic<double> m_peakOfAll{0.0};
};

} // namespace fxkit
