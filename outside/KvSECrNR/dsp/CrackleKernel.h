// Crackle and click removal. Each channel is taken in blocks of 1024 frames with 512 frames of
// sound before them and more after. A short autoregressive model (order 32) fitted around the
// block finds the clicks: where its prediction error stands out of the error's spread (its
// median, scaled: a few clicks do not move it) by a factor set by the sensitivity, a click
// begins; it ends at the last sample whose error looking ahead stands out as well (a click
// disturbs both errors over its own length, the forward error alone rings on after it). Runs
// that stand out only looking back (a note's onset, a step) or that last longer than the
// longest click (a transient) are left alone. The clicks' quieter edges are followed down to
// three times the spread. Each click is filled with the least-squares values of the short
// model, then the block's clicks again with those of a long model (order 200, its context
// holds a period of a low note) fitted to the mended sound. The filling is in place: the
// blocks after see the mended sound. Sound with no click comes back exactly.
// Latency kContext + kBlock + the lookahead (a longest click, both orders and the edges).
#pragma once
#include "ArModel.h"
#include "EffectKernel.h"
#include "ParamInfo.h"

#include <vector>

namespace fx {

enum CrackleParam { kCrackleSensitivity, kCrackleLongest, kCrackleParamCount };
extern const fxkit::ParamInfo kCrackleParams[kCrackleParamCount];

class CrackleKernel : public fxkit::EffectKernel {
public:
    CrackleKernel();
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return m_size; }
    void Process(const float* in, float* out, size_t frames) override;

    // Clicks filled since Prepare, over all channels.
    size_t ClicksFound() const { return m_found; }

    static constexpr size_t kBlock = 1024, kContext = 512, kPad = 2;
    static constexpr int kDetectOrder = 32, kFillOrder = 200;
    // A click's edges are followed down to kEdgeFactor times the error's spread, over gaps of
    // kEdgeGap samples, kEdgeReach samples at most each side; kPad samples and an eighth of the
    // click more are filled (kEdgeReach at most).
    static constexpr size_t kEdgeReach = 64, kEdgeGap = 3;
    static constexpr double kEdgeFactor = 3.0;

private:
    struct Channel {
        std::vector<float> sound; // m_size frames: context, block, lookahead
        size_t resumeAt = 0;      // the next click may start here
        bool skipping = false;    // inside a run too long for a click
    };
    struct Gap {
        size_t from, to; // frames of the channel's sound
    };
    void RunBlock(Channel& channel);
    // The short model's forward error at frame i of the sound (kErrorsFrom and after).
    static constexpr size_t kErrorsFrom = kContext - kEdgeReach;
    float ForwardError(size_t i) const { return m_errors[i - kErrorsFrom]; }
    // Fits the short model around the block, its forward errors and thresholds; false when
    // the block and its surroundings are silent.
    bool Analyse(const float* sound);
    // Finds the clicks starting in the block, fills them with the short model, lists them.
    void Scan(Channel& channel);
    // The first sample at or after `from` that ends a run too long for a click whose last error
    // over the threshold is at `last`: none over the edges' lower threshold for `order` samples
    // (a transient's fading tail belongs to it). Or the end of the errors; `last` follows the run.
    size_t EndOfRun(size_t from, size_t& last) const;

    ArModel m_detector, m_filler;
    double m_rate = 44100;
    size_t m_size = 0;      // frames held per channel: the latency
    size_t m_fill = 0;      // frames held now
    size_t m_longest = 132; // frames
    double m_factor = 8;    // threshold over the error's spread
    size_t m_found = 0;
    std::vector<Channel> m_channels;
    std::vector<float> m_queue; // finished frames, interleaved
    size_t m_queueRead = 0;
    std::vector<float> m_errors, m_magnitudes;
    std::vector<Gap> m_gaps; // mended in this block
    double m_threshold = 0, m_edgeThreshold = 0;
};

} // namespace fx
