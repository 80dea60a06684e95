// Resampler: the kit's one sample rate conversion, band-limited, of interleaved float audio (the
// attribute module's and the engine's document conversion). Passband flat to
// 90 % of the lower rate's Nyquist frequency (ripple below 0.001 dB), stopband from that
// Nyquist frequency on, rejected by at least 120 dB.
// Two stages, both Kaiser-windowed sinc filters of linear phase: the sharp one doubles the
// input rate and runs as a fast convolution (FFT blocks, both channels of a pair in one
// complex transform); the second goes from twice the input rate to the output rate by a short
// polyphase filter, whose wide transition band leaves it few taps. When the reduced ratio of
// that step needs more than kMaxExactPhases phases, its phase filter is interpolated linearly
// from a bank of kInterpolatedPhases phases.
//
//   fxkit::Resampler r;
//   r.Setup(44100, 48000, 2);
//   r.Process(in, frames, out);   // appends what is ready to out (interleaved)
//   r.Flush(out);                 // appends the rest; output length = ceil(in * out / in)
//
// The first output frame lies at the time of the first input frame: no delay is added.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Fft.h"

namespace fxkit {

class Resampler {
public:
    static constexpr uint32_t kMaxExactPhases = 2048;
    static constexpr uint32_t kInterpolatedPhases = 2048;
    static constexpr double kPassbandEdge = 0.90;  // of the lower Nyquist frequency
    static constexpr double kStopbandDb = 120.0;   // design target
    static constexpr uint32_t kMaxDownRatio = 256; // beyond it the sharp filter grows too long

    // Rates 1 Hz .. 10 MHz, channels 1 .. 32, a step down of less than kMaxDownRatio : 1;
    // false (and no change) otherwise.
    bool Setup(uint32_t inRate, uint32_t outRate, int channels);
    // Forgets buffered input; the next frame starts a new stream.
    void Reset();

    void Process(const float* in, size_t frames, std::vector<float>& out);
    void Flush(std::vector<float>& out);

    // Output frames a stream of inFrames input frames gives in total.
    uint64_t OutputFramesFor(uint64_t inFrames) const;
    bool IsPassThrough() const { return m_up == m_down; }
    int Taps() const { return m_taps1; } // of the sharp filter, at twice the input rate
    uint32_t InRate() const { return m_inRate; }
    uint32_t OutRate() const { return m_outRate; }
    int Channels() const { return m_channels; }

private:
    void Design();
    void DesignPolyphase();
    // Copies up to frames input frames (silence for null) into the buffer; returns how many.
    size_t Feed(const float* in, size_t frames);
    // Runs the sharp stage on every whole block of buffered input, and after each block
    // produces what it allows, up to limit output frames in all.
    void RunBlocks(std::vector<float>& out, uint64_t limit);
    // Produces every output frame whose filter window lies inside the doubled-rate buffer.
    void Produce(std::vector<float>& out, uint64_t limit);
    void ComputeExact(const float* y, uint64_t rem, float* dst) const;
    void ComputeInterpolated(const float* y, uint64_t rem, float* dst) const;

    uint32_t m_inRate = 0, m_outRate = 0;
    int m_channels = 0;
    uint64_t m_up = 1, m_down = 1; // reduced ratio out:in

    // Sharp stage: filter of m_taps1 = 2 * m_half1 + 1 taps at twice the input rate. A block
    // transforms m_fftSize / 2 input frames starting m_preroll frames before the block, and
    // gives 2 * m_block frames at the doubled rate.
    int m_taps1 = 0, m_half1 = 0;
    size_t m_fftSize = 0, m_block = 0, m_preroll = 0;
    std::vector<float> m_spectrum; // the filter's, real, bit-reversed, scaled for the inverse
    FloatFft m_forward, m_inverse;
    std::vector<float> m_zRe, m_zIm, m_uRe, m_uIm; // work areas

    // Polyphase stage from the doubled rate to the output rate, reduced ratio up2:down2.
    uint64_t m_up2 = 1, m_down2 = 1;
    uint64_t m_stepWhole = 0, m_stepRem = 0; // down2 = stepWhole * up2 + stepRem
    double m_phaseScale = 0;                 // bank phases per unit of the remainder (interpolated case)
    bool m_exact = true;
    int m_taps = 0; // per phase, a multiple of 8
    int m_half = 0; // taps / 2
    uint32_t m_phases = 0;
    std::vector<float> m_coeffs; // (phases + 1) x taps; the extra row serves interpolation

    // Input per channel: m_inCap frames each; frame k is stream frame k + m_inOrigin.
    std::vector<float> m_in;
    size_t m_inCap = 0, m_inEnd = 0;
    int64_t m_inOrigin = 0;
    int64_t m_nextBlock = 0; // stream frame where the next block starts
    // Doubled-rate signal per channel: m_midCap frames each; frame k is m_midOrigin + k.
    std::vector<float> m_mid;
    size_t m_midCap = 0, m_midEnd = 0;
    int64_t m_midOrigin = 0;

    uint64_t m_inFed = 0;   // input frames given so far
    uint64_t m_outMade = 0; // output frames produced so far
    // Next output frame lies at doubled-rate time m_nextMid + m_nextRem / up2.
    int64_t m_nextMid = 0;
    uint64_t m_nextRem = 0;
    bool m_flushed = false;
};

} // namespace fxkit
