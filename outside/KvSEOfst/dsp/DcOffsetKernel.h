// DC offset: mode 0 removes each channel's mean as measured in the first pass (unity before
// a measurement); mode 1 adds value / unit to every sample, where the unit of the depth is
// 128 (8 bits), 32768 (16 bits) or 10000 (32 bits) steps per full scale.
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum DcParam { kDcMode, kDcValue, kDcDepth, kDcParamCount };
extern const fxkit::ParamInfo kDcParams[kDcParamCount];
// Steps per full scale for a depth index (0: 8, 1: 16, 2: 32 bits), and the depth in bits.
double DcUnitsPerFullScale(int depthIndex);
int DcDepthBits(int depthIndex);
// The value limits at a depth.
void DcValueRange(int depthIndex, double& minimum, double& maximum);

class DcOffsetKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Process(const float* in, float* out, size_t frames) override;
    bool Measures() const override { return m_mode == 0; }
    void BeginMeasure() override;
    void Measure(const float* in, size_t frames) override;
    void EndMeasure() override;
    // The measured mean of a channel (0 before a measurement).
    double Mean(int channel) const;

private:
    int m_channels = 2;
    int m_mode = 0;
    double m_add = 0;
    std::vector<double> m_sum, m_mean;
    size_t m_count = 0;
};

} // namespace fx
