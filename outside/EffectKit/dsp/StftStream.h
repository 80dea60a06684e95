// StftStream: the streaming half of a short-time Fourier effect. It keeps the last `size`
// input frames, asks for a frame every `hop` frames, overlap-adds what the frame gives back and
// hands out the finished frames; latency `size`.
//
//   stream.Configure(2048, 512, channels);
//   stream.Process(in, out, frames, [&] { for each channel: stream.Gather(c, window, x);
//                                         transform x ...; stream.Add(c, x, window, scale); });
// A channel's frame is real (for the kit's real transform); a pair of channels goes in one
// complex frame (GatherPair, AddPair). A NaN or an infinity coming in is taken as silence
// or the largest float (so no frame's state takes it in), and what goes out stays in range.
// A stereo pair and the finished hop go eight at a time where the processor has AVX
// (StftStreamWide.h).
#pragma once
#include "Finite.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace fxkit {

class StftStream {
public:
    void Configure(size_t size, size_t hop, int channels);
    void Reset();
    size_t Size() const { return m_size; }
    size_t Hop() const { return m_hop; }

    // The last `size` frames of a channel, oldest first, times the window, for the float
    // transforms. A frame with samples near the float range would overflow a float transform's
    // sums: it comes scaled down by a power of two, the factor returned (else 1), for Add's scale
    // to divide by.
    float Gather(size_t channel, const float* window, float* out) const;
    // A frame (real), times the window and scale, onto the overlap-add.
    void Add(size_t channel, const float* frame, const float* window, double scale);
    // Two channels in one complex frame as split parts: `first` the real part, the next channel
    // the imaginary. Scaled as Gather's, by one factor for both or, `apart`, each by its own.
    struct PairScale {
        float first, second;
    };
    PairScale GatherPair(size_t first, const float* window, float* re, float* im, bool apart) const;
    void AddPair(size_t first, const float* re, const float* im, const float* window, double firstScale,
                 double secondScale);

    // The input is taken and the output handed out a run at a time up to the next frame.
    template <class RunFrame>
    void Process(const float* in, float* out, size_t frames, RunFrame&& runFrame)
    {
        const size_t ch = m_channels;
        for (size_t i = 0; i < frames;) {
            const size_t run = std::min(frames - i, m_hop - m_sinceFrame);
            Take(in + i * ch, run);
            std::copy(m_queue.begin() + long(m_queueRead * ch), m_queue.begin() + long((m_queueRead + run) * ch),
                      out + i * ch);
            m_queueRead += run;
            m_sinceFrame += run;
            i += run;
            if (m_sinceFrame == m_hop) {
                m_sinceFrame = 0;
                runFrame();
                Advance();
            }
        }
    }

private:
    void Take(const float* in, size_t frames); // into the history, finite
    void Advance();                           // queue the finished hop and move the sum on
    // Frame i of the history (oldest first) is at (i + m_write) mod m_size: two runs.
    template <class Each>
    void ForHistory(Each&& each) const
    {
        each(size_t(0), m_write, m_size - m_write);
        each(m_size - m_write, size_t(0), m_write);
    }

    // Frame i of the overlap-add (oldest first) is at (i + m_sumStart) mod m_size: each run of
    // it as (first i, its frames, count), or each frame as (i, its frame).
    template <class Each>
    void ForSumRuns(Each&& each)
    {
        const size_t ch = m_channels, first = m_size - m_sumStart;
        each(size_t(0), &m_sum[m_sumStart * ch], first);
        each(first, m_sum.data(), m_sumStart);
    }
    template <class Each>
    void ForSum(Each&& each)
    {
        const size_t ch = m_channels;
        ForSumRuns([&](size_t from, double* sum, size_t count) {
            for (size_t i = 0; i < count; ++i)
                each(from + i, sum + i * ch);
        });
    }

    size_t m_size = 2048, m_hop = 512, m_channels = 2;
    std::vector<float> m_history; // ring of the last m_size frames
    size_t m_write = 0, m_sinceFrame = 0;
    std::vector<double> m_sum;  // overlap-add, a ring of m_size frames
    size_t m_sumStart = 0;
    std::vector<float> m_queue; // the finished hop
    size_t m_queueRead = 0;
};

} // namespace fxkit
