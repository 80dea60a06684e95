// Twenty-band graphic equaliser. IIR: a cookbook peak per band (Q 2.87, half an octave), bands
// at or above 0.45 of the rate left out. FIR: the chain's magnitude, sampled on a 16384-point
// grid, becomes an 8191-tap linear-phase filter (Blackman window) applied by overlap-add in
// hops of 3 x 8192; latency 3 x 8192 + 4095 frames. Its resolution (about 30 Hz at 44.1 kHz) blurs
// the bands below 283 Hz, which then reach less than their gain. The master gain multiplies
// both.
#pragma once
#include "Biquad.h"
#include "EffectKernel.h"
#include "LinearPhaseFir.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

constexpr int kGeq20Bands = 20;
constexpr int kGeq20Master = 20, kGeq20Mode = 21, kGeq20ParamCount = 22;
extern const fxkit::ParamInfo kGraphicEq20Params[kGeq20ParamCount];
double GraphicEq20Centre(int band);

class GraphicEq20Kernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return m_fir ? m_convolver.Latency() : 0; }
    void Process(const float* in, float* out, size_t frames) override;

    static constexpr size_t kBlock = 8192; // 8191 taps on a 16384-point grid

private:
    std::vector<fxkit::BiquadCoefficients> Design(const double* values) const;
    void DesignFir();

    double m_rate = 44100;
    int m_channels = 2;
    bool m_fir = false;
    float m_master = 1;
    fxkit::BiquadCascade m_chain;
    fxkit::LinearPhaseFir m_convolver;
};

} // namespace fx
