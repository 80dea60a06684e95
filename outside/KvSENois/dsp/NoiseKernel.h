// Noise: white (uniform, flat), pink (white through a cascade of first-order pole/zero pairs,
// poles an octave apart from 10 Hz up and each zero half an octave above its pole, which
// averages -3 dB per octave) or brown (a leaky integrator with its corner at 10 Hz,
// -6 dB per octave). Each channel has its own generator, so channels are uncorrelated; each
// run starts from the same seeds. The level is the RMS of the coloured noise.
#pragma once
#include "GeneratorKernel.h"
#include "ParamInfo.h"

#include <cstdint>
#include <vector>

namespace fx {

enum NoiseParam { kNoiseColour, kNoiseLevel, kNoiseParamCount };
enum NoiseColour { kWhite, kPink, kBrown };
extern const fxkit::ParamInfo kNoiseParams[kNoiseParamCount];

class NoiseKernel : public fxkit::GeneratorKernel {
public:
    void Prepare(const fxkit::GeneratorShape& shape, const double* values) override;
    void Generate(float* out, size_t frames) override;

private:
    struct Channel {
        uint64_t state = 0;
        std::vector<double> z; // one state per section
    };
    double Filter(Channel& c, double x) const;

    int m_colour = kWhite, m_channels = 2;
    std::vector<Channel> m_chan;
    std::vector<double> m_pole, m_zero; // pink sections: y = x - zero x1 + pole y1
    double m_leak = 0;                  // brown
    double m_gain = 1;
};

} // namespace fx
