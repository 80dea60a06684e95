// Hiss removal: a short-time Fourier transform (2048 points, hop a quarter, square-root Hann
// on both sides, so untouched bins come back exactly). Above the corner each bin's power is
// smoothed (80 ms); its noise floor follows the second least of the nine bins around it (a
// tone's lobe is narrower), down at once and up by 3 dB a second (steady tones are not taken
// for noise), anew when the window first fills or most of the band comes back 10 dB above it.
// A bin at the floor is gated down by the reduction, one the threshold above it passes, with a
// gain between in dB; an open bin opens two neighbours each side (a tone's main lobe); gains
// open at once, close over about 60 ms (against musical noise) and are smoothed over the bins
// (a sharp edge would ring through the circular frame). Below the corner the sound passes.
// Latency 2048 frames. Channels go through the transform in pairs (one as the real part, one as
// the imaginary part), in float.
#pragma once
#include "EffectKernel.h"
#include "Fft.h"
#include "ParamInfo.h"
#include "StftStream.h"

#include <complex>
#include <vector>

namespace fx {

enum HissParam { kHissReduction, kHissCorner, kHissThreshold, kHissParamCount };
extern const fxkit::ParamInfo kHissParams[kHissParamCount];

class HissKernel : public fxkit::EffectKernel {
public:
    HissKernel();
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return kSize; }
    void Process(const float* in, float* out, size_t frames) override;

    static constexpr size_t kSize = 2048, kHop = 512;

private:
    void RunFrame();
    // Channel c's spectrum (bins 0 .. kSize / 2) gated in place.
    void Gate(size_t c, std::complex<float>* spectrum);

    fxkit::FloatFft m_fft;
    std::vector<float> m_window;
    double m_rate = 44100;
    int m_channels = 2;
    size_t m_cornerBin = 0;
    double m_floorGain = 0.1, m_threshold = 4, m_rise = 1, m_close = 0.5, m_settle = 0.5;
    double m_log2FloorGain = 0, m_log2Threshold = 1;
    fxkit::StftStream m_stream;
    size_t m_seen = 0;                                          // input frames in the window, up to kSize
    std::vector<std::vector<double>> m_floor, m_gain, m_smooth; // per channel and bin
    std::vector<double> m_local, m_wanted, m_shaped;
    std::vector<bool> m_started;
    std::vector<float> m_re, m_im;                 // a pair of channels' frames, then their transform
    std::vector<std::complex<float>> m_spectra[2]; // bins 0 .. kSize / 2 of each
};

} // namespace fx
