// MixKernel: sums tracks into one block of interleaved float frames of 1, 2 or 6 channels.
// The caller picks the audible tracks and hands, per block, where their samples lie.
//
//   MixKernel k;
//   k.Prepare({2, 2048, 0.9f, true});               // output channels, largest block, master
//   MixRun runs[] = {{0, 512, {samples, MixSampleKind::S16, 2}}};
//   MixInput in{&track, blockStart - trackStart, runs, 1};
//   k.Process(&in, 1, 512, out);                    // out: 512 x 2 floats, overwritten
//
// Rules, per track and frame t (envelope positions count from the track start):
//   level = volume x master x level(t)          (envelopes at their initial value when
//   pan   = clamp(pan + pan(t), -1, 1)            automation is off)
//   left gain = level x min(1, 1 - pan), right gain = level x min(1, 1 + pan)
// A mono track feeds both sides; a stereo track its left channel to the left, right to the
// right. A mono item feeds every channel of its track; a wider item its first channels.
// Six-channel output: front-rear pan f sends (1 - max(f, 0)) to the front pair and max(f, 0)
// to the rear pair; a mono track with speaker mask 4 (centre) or 8 (LFE) goes to channel 2
// or 3 at the centre or LFE level; six-channel tracks map channel to channel. Front-rear,
// centre and LFE envelopes are read once per block, at the track's first frame in it.
// Two-channel output of a six-channel track folds centre and rears in at 0.7071.
// One-channel output is the mean of the two-channel output.
//
// Envelopes are piecewise linear, so gains are worked out once per stretch between points
// and ramped across it; the samples are summed four floats at a time (SSE2).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum class MixSampleKind { U8, S16, F32 }; // unsigned bytes (128 = 0), signed 16-bit, float

struct MixPoint {
    int64_t position;
    float value;
};

// Before the first point the first value holds, after the last the last; no points: initial.
struct MixEnvelope {
    float initial = 0.0f;
    std::vector<MixPoint> points; // strictly increasing positions

    float ValueAt(int64_t position) const;
};

struct MixTrack {
    int channels = 2; // 1, 2 or 6
    float volume = 1.0f;
    float pan = 0.0f;
    float frontRear = 0.0f;
    float centre = 1.0f;
    float lfe = 1.0f;
    uint32_t speakerMask = 0;
    MixEnvelope level{1.0f, {}}, panEnv, frontRearEnv, centreEnv, lfeEnv;
};

// Interleaved frames of `channels` samples of one kind; frame 0 at data.
struct MixSource {
    const void* data;
    MixSampleKind kind;
    int channels;
};

// Block frames [at, at + count) of a track come from source; frames of no run are silent.
struct MixRun {
    int at;
    int count;
    MixSource source;
};

struct MixInput {
    const MixTrack* track;
    int64_t trackPosition; // position in the track of block frame 0 (may be negative)
    const MixRun* runs;    // in order, not overlapping
    size_t runCount;
};

struct MixSettings {
    int outputChannels = 2; // 1, 2 or 6
    int maxBlock = 2048;    // frames of the largest block
    float master = 1.0f;
    bool readAutomation = true;
};

class MixKernel {
public:
    void Prepare(const MixSettings& settings);
    // Nothing carries from one block to the next; kept for the shape of every kernel.
    void Reset() {}
    // Writes frames (<= maxBlock) output frames: the sum of the inputs, in their order.
    void Process(const MixInput* inputs, size_t count, int frames, float* out);

private:
    // Adds one run of a track of at most two channels into interleaved stereo.
    void AddStereo(const MixTrack& t, int64_t trackPosition, const MixRun& run, float* stereo);
    // Adds one run by the general rules (six channels in or out); the per-block envelopes are
    // read at firstFrame, the track's first frame in the block.
    void AddGeneral(const MixTrack& t, int64_t trackPosition, const MixRun& run, int firstFrame, float* out,
                    float* stereo);
    // Interleaved left and right gains of frames [at, at + count), scaled by scale.
    void FillGains(const MixTrack& t, int64_t trackPosition, int at, int count, float scale, float* gains) const;

    MixSettings m_s;
    std::vector<float> m_stereo; // two-channel sum for one-channel output
    std::vector<float> m_gains;  // interleaved left/right gains of a stretch
};
