// Vocal remover: a short-time Fourier transform (2048 points, hop 512, square-root Hann
// windows on both sides). In each bin of the band the similarity of the channels,
// s = 2 Re(L conj R) / (|L|^2 + |R|^2) (1 for equal channels, 0 when one is silent or they are
// opposed), sets the gain 1 - strength s^8 of both channels; bins outside the band pass. Away
// from the centre the sound is rebuilt exactly; latency 2048 frames. Both channels go through one
// float transform (left as the real part, right as the imaginary part).
#pragma once
#include "EffectKernel.h"
#include "Fft.h"
#include "ParamInfo.h"
#include "StftStream.h"

#include <complex>
#include <vector>

namespace fx {

enum VocalRemoverParam { kVocLow, kVocHigh, kVocStrength, kVocParamCount };
extern const fxkit::ParamInfo kVocalRemoverParams[kVocParamCount];

class VocalRemoverKernel : public fxkit::EffectKernel {
public:
    VocalRemoverKernel();
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return kSize; }
    void Process(const float* in, float* out, size_t frames) override;

    static constexpr size_t kSize = 2048, kHop = 512;

private:
    void RunFrame();

    fxkit::FloatFft m_fft;
    std::vector<float> m_window;
    double m_rate = 44100;
    size_t m_lowBin = 0, m_highBin = 0;
    double m_strength = 1;
    fxkit::StftStream m_stream;
    std::vector<float> m_re, m_im; // the transform's order
};

} // namespace fx
