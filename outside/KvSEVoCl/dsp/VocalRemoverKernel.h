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
#include <cstdint>
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
    // Positions of the band's bins k and size - k, padded to a multiple of four; `count` real.
    struct BandPairs {
        std::vector<size_t> positions, mirrors;
        size_t count = 0;
        void Clear();
        void Add(size_t position, size_t mirror);
        void Pad();
    };
    void RunFrame();
    void ScaleCentre(const BandPairs& pairs);

    fxkit::FloatFft m_fft;
    std::vector<float> m_window;
    double m_rate = 44100;
    size_t m_lowBin = 0, m_highBin = 0;
    double m_strength = 1;
    fxkit::StftStream m_stream;
    std::vector<float> m_re, m_im;                           // the transform's order
    BandPairs m_allBins, m_firstBins; // the band's, and those below position 16
    std::vector<int32_t> m_inBand;    // per position: -1 in the band, else 0
};

} // namespace fx
