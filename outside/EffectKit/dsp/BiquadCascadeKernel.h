// An effect that is one cascade of second-order sections, designed from its values at the
// stream's rate: the subclass gives the design, this runs it on every channel.
#pragma once
#include "Biquad.h"
#include "EffectKernel.h"

#include <vector>

namespace fxkit {

class BiquadCascadeKernel : public EffectKernel {
public:
    void Prepare(const StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override { m_chain.Reset(); }
    void Process(const float* in, float* out, size_t frames) override;
    double MagnitudeAt(double f) const { return m_chain.MagnitudeAt(f, m_rate); }

protected:
    virtual std::vector<BiquadCoefficients> Design(const double* values) const = 0;

    double m_rate = 44100;

private:
    int m_channels = 2;
    BiquadCascade m_chain;
};

} // namespace fxkit
