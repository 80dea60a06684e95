// Delay: per channel a line of d frames fed with the input plus the damped, fed-back echo,
//   w[n] = x[n] + fb * lowpass(e[n]),  e[n] = w[n - d],  y[n] = (1 - mix) x[n] + mix e[n],
// so echo k sits at k d with level mix fb^(k-1) (no damping). Ping-pong crosses the feedback
// between the channels of a pair (front left/right, and the back pair of six channels), so the
// echoes alternate sides. The tail lasts until the echoes are below -90 dBFS.
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum DelayParam { kDelayTime, kDelayFeedback, kDelayMix, kDelayDamping, kDelayPingPong, kDelayParamCount };
extern const fxkit::ParamInfo kDelayParams[kDelayParamCount];

class DelayKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    void Process(const float* in, float* out, size_t frames) override;
    uint64_t TailFrames(const double* values, double rate) const override;

    static size_t DelayFrames(double ms, double rate);

private:
    double m_rate = 44100;
    int m_channels = 2;
    size_t m_delay = 1, m_length = 1; // delay and line length in frames
    float m_feedback = 0, m_wet = 0, m_dry = 1, m_damp = 0;
    bool m_pingPong = false;
    std::vector<int> m_partner;   // the channel whose echo feeds back into this one
    std::vector<float> m_line;    // m_length frames, interleaved
    std::vector<float> m_lowpass; // damping state per channel
    size_t m_pos = 0;
};

} // namespace fx
