// Pitch shift by a phase vocoder that moves spectral peaks: each frame (Hann, N frames, hop
// N/8; preview N/2 and N/4) finds the peaks of each channel's spectrum and their true
// frequencies (from the phase advance since the last frame), and moves each peak with the bins
// around it (its region) to the peak's frequency times the ratio, every bin of a region turned
// by the same angle (phase locking), the peak's phase running on at the new frequency. A frame
// whose energy jumps (an attack) takes its phases as they are, so transients stay sharp.
// Frames out equal frames in; latency N. At 0 semitones the sound passes as it is.
#pragma once
#include "EffectKernel.h"
#include "Fft.h"
#include "ParamInfo.h"
#include "StftStream.h"

#include <atomic>
#include <complex>
#include <memory>
#include <vector>

namespace fx {

enum PitchShiftParam { kPitchSemitones, kPitchParamCount };
extern const fxkit::ParamInfo kPitchShiftParams[kPitchParamCount];

class PitchShiftKernel : public fxkit::EffectKernel {
public:
    void SetPreview(bool preview) { m_previewNext.store(preview); }

    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return m_size; }
    void Process(const float* in, float* out, size_t frames) override;

private:
    void RunFrame();
    void ShiftChannel(size_t channel);

    std::atomic<bool> m_previewNext{false};
    double m_rate = 44100, m_ratio = 1;
    int m_channels = 2;
    size_t m_size = 4096, m_hop = 512;
    std::unique_ptr<fxkit::FloatRealFft> m_fft;
    std::vector<float> m_window;
    double m_scale = 1; // overlap-add gain of the squared windows
    fxkit::StftStream m_stream;
    // Per channel: last analysis phases, synthesis phases per output bin, last energy.
    std::vector<std::vector<double>> m_lastPhase, m_synthPhase;
    std::vector<double> m_lastEnergy;
    std::vector<float> m_frame;
    std::vector<std::complex<float>> m_spectrum, m_shifted; // bins 0 .. size / 2
    std::vector<double> m_magnitude, m_phase, m_next;
    std::vector<size_t> m_peaks;
};

} // namespace fx
