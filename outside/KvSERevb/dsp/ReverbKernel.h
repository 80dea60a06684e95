// Reverb: the channels' mean, delayed by the pre-delay, feeds a tapped line of early
// reflections and an eight-line feedback delay network (Householder matrix, mutually prime
// line lengths). Each line's gain g = 10^(-3 L / (T fs)) makes every loop lose 60 dB in the
// reverberation time T; a one-pole low pass per line (damping) shortens it for high
// frequencies only. Each output channel takes the lines with its own row of signs of an
// 8 x 8 Hadamard matrix, so the channels are decorrelated; width narrows a stereo pair by
// mixing its sides. The wet level is scaled so white noise keeps its power. The tail lasts
// the pre-delay, the reflections and 1.5 T (90 dB).
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum ReverbParam { kRevTime, kRevPreDelay, kRevDamping, kRevWidth, kRevEarly, kRevMix, kRevParamCount };
extern const fxkit::ParamInfo kReverbParams[kRevParamCount];

class ReverbKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    void Process(const float* in, float* out, size_t frames) override;
    uint64_t TailFrames(const double* values, double rate) const override;

    static constexpr int kLines = 8;

private:
    double m_rate = 44100;
    int m_channels = 2;
    size_t m_lineLength[kLines] = {};
    float m_gain[kLines] = {};
    float m_damp = 0, m_norm = 1, m_dry = 1, m_wet = 0, m_early = 0, m_width = 1;
    size_t m_preDelay = 0;
    std::vector<float> m_input; // pre-delay and reflections line
    size_t m_inputPos = 0;
    std::vector<float> m_lines[kLines];
    size_t m_pos[kLines] = {};
    float m_lowpass[kLines] = {};
};

} // namespace fx
