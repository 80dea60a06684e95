// StftStream: the streaming half of a short-time Fourier effect. It keeps the last `size`
// input frames, asks for a frame every `hop` frames, overlap-adds what the frame gives back and
// hands out the finished frames; latency `size`.
//
//   stream.Configure(2048, 512, channels);
//   stream.Process(in, out, frames, [&] { for each channel: stream.Gather(c, window, x);
//                                         transform x ...; stream.Add(c, x, window, scale); });
// A channel's frame is real (for the kit's real transform) or complex; a pair of channels goes
// in one complex frame (GatherPair, AddPair). A NaN or an infinity coming in is taken as silence
// or the largest float (so no frame's state takes it in), and what goes out stays in range.
#pragma once
#include "Finite.h"

#include <complex>
#include <cstddef>
#include <vector>

namespace fxkit {

class StftStream {
public:
    void Configure(size_t size, size_t hop, int channels);
    void Reset();
    size_t Size() const { return m_size; }
    size_t Hop() const { return m_hop; }

    // The last `size` frames of a channel, oldest first, times the window (real: for the real
    // transform).
    void Gather(size_t channel, const double* window, double* out) const;
    void Gather(size_t channel, const double* window, std::complex<double>* out) const;
    // A frame (its real part), times the window and scale, onto the overlap-add.
    void Add(size_t channel, const double* frame, const double* window, double scale);
    void Add(size_t channel, const std::complex<double>* frame, const double* window, double scale);
    // Two channels in one transform: channel 0 as the real part, channel 1 as the imaginary.
    void GatherPair(const double* window, std::complex<double>* out) const;
    void AddPair(const std::complex<double>* frame, const double* window, double scale);
    // The same in float, for the float transforms (a pair as split parts). A frame with samples
    // near the float range would overflow a float transform's sums: it comes scaled down by a
    // power of two, the factor returned (else 1), for Add's scale to divide by.
    float Gather(size_t channel, const float* window, float* out) const;
    void Add(size_t channel, const float* frame, const float* window, double scale);
    float GatherPair(const float* window, float* re, float* im) const;
    void AddPair(const float* re, const float* im, const float* window, double scale);

    template <class RunFrame>
    void Process(const float* in, float* out, size_t frames, RunFrame&& runFrame)
    {
        const size_t ch = m_channels;
        for (size_t i = 0; i < frames; ++i) {
            for (size_t c = 0; c < ch; ++c)
                m_history[m_write * ch + c] = float(Finite(in[i * ch + c]));
            m_write = m_write + 1 == m_size ? 0 : m_write + 1;
            if (++m_sinceFrame == m_hop) {
                m_sinceFrame = 0;
                runFrame();
                Advance();
            }
            for (size_t c = 0; c < ch; ++c)
                out[i * ch + c] = m_queue[m_queueRead * ch + c];
            ++m_queueRead;
        }
    }

private:
    void Advance(); // queue the finished hop and move the sum on
    // Frame i of the history (oldest first) is at (i + m_write) mod m_size: two runs.
    template <class Each>
    void ForHistory(Each&& each) const
    {
        each(size_t(0), m_write, m_size - m_write);
        each(m_size - m_write, size_t(0), m_write);
    }

    size_t m_size = 2048, m_hop = 512, m_channels = 2;
    std::vector<float> m_history; // ring of the last m_size frames
    size_t m_write = 0, m_sinceFrame = 0;
    std::vector<double> m_sum;  // overlap-add, m_size frames
    std::vector<float> m_queue; // finished frames
    size_t m_queueRead = 0;
};

} // namespace fxkit
