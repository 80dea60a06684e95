// Compressor: the level of each channel (or the largest of all, linked) is held by a peak
// detector that rises at once and falls with the release time; the static curve turns it into
// a gain in dB (below threshold - knee / 2 none, above threshold + knee / 2 (1 / ratio - 1)
// (level - threshold), a quadratic between), which glides toward more reduction with the
// attack time and back with the release time; then the make-up gain. A steady tone gets the
// static curve's gain.
#pragma once
#include "EffectKernel.h"
#include "Envelope.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum CompressorParam {
    kCmpThreshold,
    kCmpRatio,
    kCmpLimiter,
    kCmpKnee,
    kCmpMakeup,
    kCmpAttack,
    kCmpRelease,
    kCmpDetection,
    kCmpParamCount
};
extern const fxkit::ParamInfo kCompressorParams[kCmpParamCount];

struct CompressorCurve {
    double threshold = -20, slope = 0.75, knee = 6, makeup = 0; // slope: 1 - 1 / ratio
    // Gain in dB at an input level in dB.
    double GainDb(double levelDb) const;
};
CompressorCurve CurveOf(const double* values);

class CompressorKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    void Process(const float* in, float* out, size_t frames) override;

private:
    double m_rate = 44100;
    int m_channels = 2;
    bool m_linked = true;
    CompressorCurve m_curve;
    std::vector<fxkit::EnvelopeFollower> m_level; // per channel (linked: the first)
    std::vector<double> m_gainDb;
    double m_attack = 1, m_release = 1;

    double Gain(size_t channel, double peak);
};

} // namespace fx
