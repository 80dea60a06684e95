// Simple tone: a sine, or a square, triangle or sawtooth summed from its harmonics below half
// the rate (band-limited, so nothing folds back), at a steady or swept frequency. The phase
// is kept in double and starts at 0 each run; the level is the ideal wave's peak.
// Harmonics sin(kx) come from the recurrence sin((k+1)x) = 2 cos x sin(kx) - sin((k-1)x). A
// steady wave of harmonics is summed once into a table of one period, fine enough (128 points
// to the top harmonic's cycle) that reading it between points adds nothing near -80 dB.
#pragma once
#include "GeneratorKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum ToneParam { kToneWave, kToneFrequency, kToneLevel, kToneSweep, kToneEndFrequency, kToneParamCount };
enum ToneWave { kSine, kSquare, kTriangle, kSawtooth };
enum ToneSweep { kNoSweep, kLinearSweep, kLogSweep };
extern const fxkit::ParamInfo kToneParams[kToneParamCount];

class ToneKernel : public fxkit::GeneratorKernel {
public:
    void Prepare(const fxkit::GeneratorShape& shape, const double* values) override;
    void Generate(float* out, size_t frames) override;

private:
    double Frequency() const;
    double Wave(double phase, double frequency) const;

    double m_rate = 44100, m_f0 = 1000, m_f1 = 1000, m_gain = 1;
    double m_logStep = 1; // a logarithmic sweep's frequency ratio from one frame to the next
    int m_wave = kSine, m_sweep = kNoSweep, m_channels = 2;
    int64_t m_length = 1, m_pos = 0;
    double m_phase = 0;
    std::vector<float> m_table; // one period and its first point again; empty: summed per sample
};

} // namespace fx
