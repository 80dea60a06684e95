// Spectral subtraction on a noise profile: Hann-windowed STFT of the profile's FFT size with
// hop size/4, per bin a Wiener gain xi / (1 + xi) whose a-priori SNR xi follows the
// decision-directed estimate (smoothing a, the last frame's clean power against this frame's
// excess over the noise), never below the floor (-reduction dB); Hann synthesis and
// overlap-add. Latency: the size.
#pragma once
#include "EffectKernel.h"
#include "Fft.h"
#include "NoiseProfile.h"
#include "ParamInfo.h"

#include <complex>
#include <memory>
#include <vector>

namespace fx {

enum SpectralSubtractionParam { kSpsReduction, kSpsSmoothing, kSpsParamCount };
extern const fxkit::ParamInfo kSpectralSubtractionParams[kSpsParamCount];

class SpectralSubtractionKernel : public fxkit::EffectKernel {
public:
    // The profile the next Prepare uses (its channels and rate checked by the caller).
    void SetProfile(const fxkit::NoiseProfile& profile) { m_profile = profile; }
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return m_size; }
    void Process(const float* in, float* out, size_t frames) override;

private:
    void Frame();

    fxkit::NoiseProfile m_profile;
    size_t m_size = 2048, m_hop = 512, m_channels = 1, m_rover = 0;
    std::unique_ptr<fxkit::RealFft> m_fft;
    std::vector<double> m_window;
    std::vector<std::vector<float>> m_inFifo, m_outFifo;
    std::vector<std::vector<double>> m_accum, m_lastClean;
    std::vector<double> m_x;
    std::vector<std::complex<double>> m_bins; // 0 .. size / 2
    double m_floor = 0.1, m_alpha = 0.9;
};

} // namespace fx
