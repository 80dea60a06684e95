// Resampler: band-limited sample rate conversion of interleaved float audio by a polyphase
// Kaiser-windowed sinc filter. Passband flat to 90 % of the lower rate's Nyquist frequency
// (ripple below 0.001 dB), stopband from that Nyquist frequency on, rejected by at least
// 120 dB. For rates whose reduced ratio needs more than kMaxExactPhases phases, the phase
// filter is interpolated linearly from a bank of kInterpolatedPhases phases (the same limits).
//
//   Resampler r;
//   r.Setup(44100, 48000, 2);
//   r.Process(in, frames, out);   // appends what is ready to out (interleaved)
//   r.Flush(out);                 // appends the rest; output length = ceil(in * out / in)
//
// The first output frame lies at the time of the first input frame: no delay is added.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class Resampler {
public:
    static constexpr uint32_t kMaxExactPhases = 2048;
    static constexpr uint32_t kInterpolatedPhases = 2048;
    static constexpr double kPassbandEdge = 0.90; // of the lower Nyquist frequency
    static constexpr double kStopbandDb = 120.0;  // design target

    // Rates 1 Hz .. 10 MHz, channels 1 .. 32; false (and no change) otherwise.
    bool Setup(uint32_t inRate, uint32_t outRate, int channels);
    // Forgets buffered input; the next frame starts a new stream.
    void Reset();

    void Process(const float* in, size_t frames, std::vector<float>& out);
    void Flush(std::vector<float>& out);

    // Output frames a stream of inFrames input frames gives in total.
    uint64_t OutputFramesFor(uint64_t inFrames) const;
    bool IsPassThrough() const { return m_up == m_down; }
    int Taps() const { return m_taps; }
    uint32_t InRate() const { return m_inRate; }
    uint32_t OutRate() const { return m_outRate; }
    int Channels() const { return m_channels; }

private:
    void Design();
    // Produces every output frame whose filter window lies inside the buffered input.
    void Produce(std::vector<float>& out, bool draining);
    void ComputeExact(const float* x, uint64_t rem, float* dst) const;
    void ComputeInterpolated(const float* x, uint64_t rem, float* dst) const;

    uint32_t m_inRate = 0, m_outRate = 0;
    int m_channels = 0;
    uint64_t m_up = 1, m_down = 1; // reduced ratio out:in
    uint64_t m_stepWhole = 0, m_stepRem = 0; // down = stepWhole * up + stepRem
    double m_phaseScale = 0; // bank phases per unit of the remainder (interpolated case)
    bool m_exact = true;
    int m_taps = 0;   // per phase, a multiple of 8
    int m_half = 0;   // taps / 2
    uint32_t m_phases = 0;
    std::vector<float> m_coeffs; // (phases + 1) x taps; the extra row serves interpolation

    std::vector<float> m_buf;  // per channel, m_bufCap frames each
    size_t m_bufCap = 0;
    size_t m_bufStart = 0; // first valid frame in the buffer
    size_t m_bufEnd = 0;   // one past the last valid frame
    uint64_t m_inFed = 0;          // input frames given so far
    uint64_t m_outMade = 0;        // output frames produced so far
    uint64_t m_bufOrigin = 0;      // stream frame index of buffer frame 0 (history included)
    // Next output frame lies at input time m_nextIn + m_nextRem / up.
    uint64_t m_nextIn = 0, m_nextRem = 0;
    bool m_flushed = false;
};
