// Butterworth filters: low and high pass of the order at the cutoff; band pass as a high pass
// at the low edge followed by a low pass at the high edge; band stop as the sum of a low pass
// at the low edge and a high pass at the high edge. Frequencies are kept below 0.45 of the rate.
#pragma once
#include "Biquad.h"
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum FilterParam { kFltType, kFltLow, kFltHigh, kFltOrder, kFltParamCount };
extern const fxkit::ParamInfo kFilterParams[kFltParamCount];

class FilterKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    void Process(const float* in, float* out, size_t frames) override;
    // Response of the current design at f (for tests and the bench).
    double MagnitudeAt(double f) const;

private:
    void Design(const double* values, bool keepState);

    double m_rate = 44100;
    int m_channels = 2;
    int m_type = 0;
    fxkit::BiquadCascade m_a, m_b; // the band stop's second branch in m_b
    std::vector<float> m_branch;
};

} // namespace fx
