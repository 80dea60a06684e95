// Noise profile learner: the sound passes unchanged; each channel's Hann-windowed spectra
// (half-overlapping frames of the FFT size) are averaged into a NoiseProfile.
#pragma once
#include "EffectKernel.h"
#include "Fft.h"
#include "NoiseProfile.h"
#include "ParamInfo.h"

#include <memory>

namespace fx {

enum ProfileLearnerParam { kSplFftSize, kSplParamCount };
extern const fxkit::ParamInfo kProfileLearnerParams[kSplParamCount];
size_t FftSizeOf(double choice);

class ProfileLearnerKernel : public fxkit::EffectKernel {
public:
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double*) override {}
    void Process(const float* in, float* out, size_t frames) override;
    // The mean spectra so far; false before one whole frame.
    bool Result(fxkit::NoiseProfile& profile) const;

private:
    void Analyse();

    fxkit::NoiseProfile m_sum;
    std::unique_ptr<fxkit::RealFft> m_fft;
    std::vector<double> m_window;
    std::vector<float> m_frame; // interleaved, fftSize frames
    size_t m_filled = 0, m_count = 0;
};

} // namespace fx
