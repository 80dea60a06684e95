// Modulator: an oscillator m(t) in -1..1 of the shape at the rate drives
//   tremolo: gain 1 - d (1 - m) / 2, so between 1 - d and 1;
//   ring:    the input times (1 - d) + d m (at full depth the input's own tone disappears);
//   vibrato: a delay of D (1 + d m) with D = 5 ms, read between samples; the mean delay D is
//            the kernel's latency (every kind is delayed by it, so a change of kind keeps time).
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum ModulatorParam { kModKind, kModRate, kModDepth, kModShape, kModParamCount };
extern const fxkit::ParamInfo kModulatorParams[kModParamCount];
// Rate limit of a kind: 5000 Hz for ring modulation, else 20 Hz.
double ModulatorMaxRate(int kind);

class ModulatorKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return m_centre; }
    void Process(const float* in, float* out, size_t frames) override;

private:
    double Oscillator();
    // The sine comes from a rotating phasor, set again from the phase now and then so that
    // rounding cannot build up.
    void SyncPhasor();

    double m_rate = 44100;
    int m_channels = 2;
    int m_kind = 0, m_shape = 0;
    double m_step = 0, m_phase = 0, m_depth = 0.5;
    double m_sin = 0, m_cos = 1, m_turnSin = 0, m_turnCos = 1;
    unsigned m_sinceSync = 0;
    size_t m_centre = 220;
    std::vector<float> m_ring;
    size_t m_size = 1, m_pos = 0;
};

} // namespace fx
