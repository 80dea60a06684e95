// EqEngine: the equaliser's signal processor. No window headers; driven by the filter
// through GraphicEqParams, one call per chunk of interleaved frames.
//
//   EqEngine e;
//   e.Prepare(inFormat, outFormat);          // rate, channels, sample sizes
//   e.SetMode(fir); e.SetBandGains(dB); e.SetMasterGain(dB);   // before every chunk
//   size_t written = e.Process(src, frames, dst);              // dst holds MaxOutputFrames(frames)
//   e.SetDrain(true); written = e.Process(nullptr, 0, dst);     // end of stream
//
// IIR mode: ten peaking biquads at octave centres, no delay, one output frame per input frame.
// FIR mode: a linear-phase kernel of N taps designed from the band gains, applied by FFT
// convolution block by block; its N/2 delay is removed, so a whole stream (including the
// drain) yields exactly as many frames as went in. A band reaches half its dB value in FIR mode.
#pragma once
#include "WaveFormat.h"

#include <cstddef>
#include <vector>

namespace geq {

constexpr int kBandCount = 10;
constexpr int kMaxChannels = 6;
constexpr float kMasterMaxDb = 20.0f;
constexpr float kMasterMinDb = -60.0f;
extern const double kBandCentresHz[kBandCount];

// Twiddle factors e^(i pi k / T), k < T, for transforms of up to 2T points.
struct FftTwiddles {
    std::vector<double> cos, sin;
    void Reserve(size_t n); // for n-point transforms
};

class EqEngine {
public:
    EqEngine();
    virtual ~EqEngine();
    EqEngine(const EqEngine&) = delete;
    EqEngine& operator=(const EqEngine&) = delete;

    // Sets both formats (they normally match); clears the filter state of both modes.
    // Sample sizes: 1 (unsigned 8-bit), 2, 3 (signed), anything else 32-bit float.
    void Prepare(const WaveFormat& input, const WaveFormat& output);
    // Sets the input format alone: recounts the active bands, clears IIR state and overlap.
    void SetFormat(const WaveFormat& input);
    // Clears the filter state of both modes (as at the start of a stream).
    void Reset();

    // Requests a mode; it takes effect at the next Process. Leaving FIR mode first drains
    // the frames the FIR delay still owes into that call's output.
    void SetMode(bool fir);
    bool IsFir() const { return m_requestedFir; }
    // Ten band gains in dB.
    void SetBandGains(const float gainsDb[kBandCount]);
    // Master gain in dB, clamped to -60..+20.
    void SetMasterGain(float gainDb);
    // When set, a FIR Process also emits every frame still owed (end of stream).
    void SetDrain(bool drain) { m_drain = drain; }

    // Filters `frames` frames from src into dst and returns the frames written. dst must hold
    // MaxOutputFrames(frames) frames. 0 when the FIR buffer cannot be allocated.
    virtual size_t Process(const void* src, size_t frames, void* dst);
    // Most frames one Process call of `frames` input frames can write.
    size_t MaxOutputFrames(size_t frames) const;

    int ActiveBandCount() const { return m_activeBands; }
    int BlockLength() const { return m_blockLength; }
    // Band index 0..9 whose octave holds frequency f (Hz); 0 for f <= 0.
    static int BandForFrequency(double f);

private:
    void CountActiveBands();
    void ClearIirState();
    void ResetFir();
    void ComputeIirCoefficients();
    void DesignFirKernel(const float gainsDb[kBandCount]);
    size_t ProcessIir(const void* src, size_t frames, void* dst);
    size_t ProcessFir(const void* src, size_t frames, void* dst);
    size_t DrainFir(void* dst);
    bool EnsureFirCapacity(size_t frames);
    // Convolves N frames of one channel (from `block`, `valid` of them real, the rest zero).
    void FilterFirBlock(const unsigned char* block, size_t valid, int channel);
    // Writes `count` frames of the last block's output of one channel from offset `first`.
    void EmitFirFrames(int channel, size_t first, size_t count, unsigned char* dst) const;
    void FinishFirBlock(int channel);

    WaveFormat m_in{};
    WaveFormat m_out{};
    int m_inBytes = 2;
    int m_outBytes = 2;
    int m_channels = 1;
    double m_rate = 44100.0;
    int m_activeBands = kBandCount;

    // IIR design and state
    double m_b0[kBandCount], m_b1[kBandCount], m_b2[kBandCount], m_a1[kBandCount], m_a2[kBandCount];
    double m_linearGain[kBandCount];
    bool m_coefficientsValid = false;
    double m_x1[kMaxChannels][kBandCount], m_x2[kMaxChannels][kBandCount];
    double m_y1[kMaxChannels][kBandCount], m_y2[kMaxChannels][kBandCount];
    double m_master = 1.0;

    // Mode: the one running and the one asked for.
    bool m_runningFir = false;
    bool m_requestedFir = false;
    bool m_drain = false;

    // FIR
    int m_blockLength = 8192;          // N
    std::vector<double> m_kernel;       // N taps, centre at N/2
    std::vector<double> m_spectrum;     // N complex (design)
    std::vector<double> m_work;         // 2N complex (convolution)
    std::vector<double> m_overlap;      // N per channel
    FftTwiddles m_twiddles;
    float m_kernelGains[kBandCount];
    bool m_kernelValid = false;
    unsigned char* m_firBuffer = nullptr; // input frames in the input format
    size_t m_firCapacity = 0;            // frames
    size_t m_pending = 0;                // frames waiting for a complete block
    bool m_firstBlock[kMaxChannels];
};

// In-place radix-2 complex FFT of n points (a power of two) on interleaved (re, im) doubles.
// sign -1: forward, +1: inverse; unscaled. The second form keeps its twiddles in `twiddles`.
void Fft(double* data, size_t n, int sign);
void Fft(double* data, size_t n, int sign, FftTwiddles& twiddles);

} // namespace geq
