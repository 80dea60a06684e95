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
// convolution block by block (the kernel's spectrum is made once per change of the gains; a
// pair of channels goes through one transform each way); its N/2 delay is removed, so a whole
// stream (including the drain) yields exactly as many frames as went in. A band reaches half
// its dB value in FIR mode.
// The filters, the transforms and the sample conversion are the effect kit's and the core's
// (BiquadCascade, FirBlocks, Fft, PcmCodec); the equaliser gives them its designs.
#pragma once
#include "EqWaveFormat.h"

#include "Biquad.h"
#include "Fft.h"
#include "LinearPhaseFir.h"
#include "PcmCodec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace geq {

constexpr int kBandCount = 10;
constexpr int kMaxChannels = 6;
constexpr float kMasterMaxDb = 20.0f;
constexpr float kMasterMinDb = -60.0f;
extern const double kBandCentresHz[kBandCount];

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
    // Filters one block of N frames (`valid` of them from `block`, the rest zero).
    void FilterFirBlock(const unsigned char* block, size_t valid);
    // Writes `count` frames of the last block's output from frame `first` on (past N: its tail).
    void EmitFirFrames(size_t first, size_t count, unsigned char* dst);
    // Writes float frames to dst in the output format, times the master gain.
    void Emit(const float* frames, size_t count, unsigned char* dst);
    std::vector<float>& Work(std::vector<float>& v, size_t frames) const;

    WaveFormat m_in{};
    WaveFormat m_out{};
    pcm::Form m_inForm = pcm::Form::S16;
    pcm::Form m_outForm = pcm::Form::S16;
    int m_inBytes = 2;
    int m_outBytes = 2;
    int m_channels = 1;
    double m_rate = 44100.0;
    int m_activeBands = kBandCount;

    // IIR design and state
    double m_linearGain[kBandCount];
    bool m_coefficientsValid = false;
    fxkit::BiquadCascade m_cascade;
    double m_master = 1.0;

    // Mode: the one running and the one asked for.
    bool m_runningFir = false;
    bool m_requestedFir = false;
    bool m_drain = false;

    // FIR
    int m_blockLength = 8192;     // N
    std::vector<double> m_kernel; // N taps, centre at N/2
    fxkit::Fft m_designFft;       // N points
    fxkit::FirBlocks m_blocks;    // hops of N on 2N points
    float m_kernelGains[kBandCount];
    bool m_kernelValid = false;
    unsigned char* m_firBuffer = nullptr; // input frames in the input format
    size_t m_firCapacity = 0;             // frames
    size_t m_pending = 0;                 // frames waiting for a complete block
    bool m_firstBlock = true;
    std::vector<float> m_blockIn, m_blockOut, m_scaled; // interleaved float frames
};

} // namespace geq
