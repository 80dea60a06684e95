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
// convolution block by block (the kernel's spectrum is made once per change of the gains; each
// channel's block goes through one real-input transform each way); its N/2 delay is removed, so
// a whole stream (including the drain) yields exactly as many frames as went in. A band reaches
// half its dB value in FIR mode.
#pragma once
#include "EqWaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace geq {

constexpr int kBandCount = 10;
constexpr int kMaxChannels = 6;
constexpr float kMasterMaxDb = 20.0f;
constexpr float kMasterMinDb = -60.0f;
extern const double kBandCentresHz[kBandCount];

// Tables for in-place radix-2 complex transforms of one size n (a power of two) on interleaved
// (re, im) doubles: the bit-reversal swaps and the twiddles of every stage, laid out in order.
class FftPlan {
public:
    void Prepare(size_t n);
    size_t Size() const { return m_n; }
    // sign -1: forward, +1: inverse; unscaled.
    void Run(double* data, int sign) const;

private:
    size_t m_n = 0;
    std::vector<uint32_t> m_swaps;  // pairs (i, j), i < j, of the bit-reversal permutation
    std::vector<double> m_twiddles; // stage h (h = 2, 4, ...): e^(-i pi m / h), m < h, as (re, im)
};

// Transform of m real values (m a power of two, at least 4) through one complex transform of
// m/2 points. The spectrum X[0..m/2] is packed into the m values: X[0] and X[m/2] (both real)
// first, then (re, im) of X[1] .. X[m/2 - 1].
class RealFft {
public:
    void Prepare(size_t m);
    size_t Size() const { return 2 * m_half.Size(); }
    void Forward(double* data) const;
    // Inverse of Forward scaled by m: Inverse(Forward(x)) = m x.
    void Inverse(double* data) const;

private:
    FftPlan m_half;
    std::vector<double> m_turn; // e^(-2 pi i k / m), k <= m/4, as (re, im)
};

class EqEngine {
public:
    EqEngine();
    virtual ~EqEngine();
    EqEngine(const EqEngine&) = delete;
    EqEngine& operator=(const EqEngine&) = delete;

    // Sets both formats (they normally match); clears the filter state of both modes.
    // Sample sizes: 1 (unsigned 8-bit), 2, 3 (signed), anything else 32-bit float. Integers are
    // filtered as fractions of full scale and written back rounded to nearest (ties to even) and
    // clipped; an extensible output of 20 valid bits in 3 bytes has the lowest 4 bits cleared.
    void Prepare(const WaveFormat& input, const WaveFormat& output);
    // Sets the input format alone: recounts the active bands, clears IIR state and overlap.
    void SetFormat(const WaveFormat& input);
    // Clears the filter state of both modes (as at the start of a stream).
    void Reset();

    // Requests a mode; it takes effect at the next Process. Leaving FIR mode first drains
    // the frames the FIR delay still owes into that call's output.
    void SetMode(bool fir);
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
    // The FIR kernel designed from the latest gains in FIR mode: BlockLength() taps, centre at N/2.
    const double* FirKernel() const { return m_kernel.data(); }
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
    // Convolves N frames of one channel (from `block`, `valid` of them real, the rest zero)
    // with the kernel into the work array: 2N output values.
    void FilterFirBlock(const unsigned char* block, size_t valid, int channel);
    // Writes `count` frames of the last block's output of one channel from offset `first`.
    void EmitFirFrames(int channel, size_t first, size_t count, unsigned char* dst) const;
    void FinishFirBlock(int channel);

    WaveFormat m_in{};
    WaveFormat m_out{};
    int m_inBytes = 2;
    int m_outBytes = 2;
    bool m_out20In24 = false; // 20 valid bits in a 24-bit output container
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
    int m_blockLength = 8192;             // N
    std::vector<double> m_kernel;         // N taps, centre at N/2
    std::vector<double> m_spectrum;       // N complex (design)
    std::vector<double> m_kernelSpectrum; // the kernel's 2N-point real transform, packed, scaled by 1/2N
    std::vector<double> m_work;           // 2N real values (one channel's block, then its output)
    std::vector<double> m_overlap;        // N per channel
    FftPlan m_plan;                       // N points: the design, and the halves of the 2N real transforms
    RealFft m_realFft;                    // 2N points
    float m_kernelGains[kBandCount];
    bool m_kernelValid = false;
    unsigned char* m_firBuffer = nullptr; // input frames in the input format
    size_t m_firCapacity = 0;             // frames
    size_t m_pending = 0;                 // frames waiting for a complete block
    bool m_firstBlock[kMaxChannels];
};

// In-place radix-2 complex FFT of n points (a power of two) on interleaved (re, im) doubles.
// sign -1: forward, +1: inverse; unscaled. Builds its tables for the one call.
void Fft(double* data, size_t n, int sign);

} // namespace geq
