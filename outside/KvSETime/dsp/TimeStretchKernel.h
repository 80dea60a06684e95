// Time stretch by waveform-similarity overlap-add: frames of N frames (50 ms) under a Hann
// window are laid down every N/2 output frames; frame k is taken near input position k N/2 / r
// (r = output length / input length), moved by up to a search range to where it best continues
// the previous frame (cross-correlation of the channels' sum), so periods join in phase and the
// pitch stays. One time map for all channels. The input is read as if N/2 frames of silence
// preceded it and as many output frames are dropped, so the first frame needs no fade in.
// The search goes coarse to fine (every fourth place on every fourth frame, then each place
// near the best); preview: a quarter of the range, every eighth, then every other frame.
#pragma once
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <atomic>
#include <vector>

namespace fx {

enum TimeStretchParam { kStretchLength, kStretchParamCount };
extern const fxkit::ParamInfo kTimeStretchParams[kStretchParamCount];

class TimeStretchKernel : public fxkit::EffectKernel {
public:
    void SetPreview(bool preview) { m_previewNext.store(preview); }

    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override { (void)values; } // the length holds for a stream
    void Reset() override;
    void Process(const float* in, float* out, size_t frames) override;
    double LengthRatio(const double* values) const override { return values[kStretchLength] / 100.0; }
    void Stretch(const float* in, size_t frames, std::vector<float>& out) override;
    void Finish(std::vector<float>& out) override;

private:
    float Mono(int64_t pos) const; // the channels' sum at an input position (silence outside)
    bool Ready() const;
    void RunFrame(std::vector<float>& out);
    int64_t BestPlace(int64_t lo, int64_t hi, size_t step, size_t stride, int64_t follow, int64_t fallback) const;
    void Emit(const float* frames, size_t count, std::vector<float>& out);

    std::atomic<bool> m_previewNext{false};
    double m_rate = 44100, m_ratio = 1;
    int m_channels = 2;
    size_t m_size = 2204, m_hop = 1102, m_range = 551, m_stride = 4, m_fineStride = 1;
    std::vector<float> m_window;
    std::vector<float> m_in;           // input from absolute frame m_inBase on, interleaved
    std::vector<float> m_inMono;       // its channels' sum
    int64_t m_inBase = 0, m_inEnd = 0; // positions count the silence before the input
    bool m_ended = false;
    std::vector<float> m_sum; // overlap-add of the last frame, m_size frames
    int64_t m_frame = 0, m_previous = 0;
    uint64_t m_produced = 0, m_drop = 0;
};

} // namespace fx
