// The kit's one linear-phase FIR, in two layers:
//
// FirBlocks: overlap-add FFT convolution of interleaved float channels with one real kernel, a
// hop of frames at a time; each pair of channels goes through one complex transform (channel
// one as its real part, channel two as its imaginary part), in float.
//
//   blocks.Configure(16384, 8192, channels);   // transform, hop: a kernel of up to 8193 taps
//   blocks.SetKernel(taps, count);             // whenever it changes, between hops
//   blocks.Run(in, valid, out);                // a hop in (frames past `valid` read as zeros),
//                                              // a hop out: its output plus the last one's tail
//   blocks.TailAt(0);                          // what the last hop still adds after its end
//
// LinearPhaseFir: a magnitude response made into a linear-phase FIR by frequency sampling, run
// on FirBlocks in hops of three blocks on a transform of four, which spreads the transform's
// cost over more frames than a hop of one block would while the delay a preview waits for stays
// under a second.
//
//   fir.Configure(8192, channels);        // block 8192: 8191 taps on a 16384-point grid
//   fir.Design(grid);                     // grid[k]: magnitude at k x rate / GridSize(), k <= GridSize() / 2
//   fir.Process(in, out, frames);         // interleaved; out is in delayed by Latency()
//
// The zero-phase impulse of the grid is cut to the taps under a Blackman window, whose centre
// weight is 1: a flat grid of 1 gives the input back, delayed.
#pragma once
#include "Fft.h"

#include <complex>
#include <cstddef>
#include <memory>
#include <vector>

namespace fxkit {

class FirBlocks {
public:
    // transform: a power of two; hop: at least half the transform, less than all of it.
    void Configure(size_t transform, size_t hop, int channels);
    void SetKernel(const double* taps, size_t count);
    void Reset();
    size_t TailFrames() const { return m_fft.Size() - m_hop; }
    void Run(const float* in, size_t valid, float* out);
    // Frame `frame` (below TailFrames()) of the tail, interleaved.
    const float* TailAt(size_t frame) const { return &m_tail[frame * size_t(m_channels)]; }

private:
    static constexpr size_t kNoDelay = ~size_t(0);
    // The hop's work (valid frames, zeros after) convolved in place.
    void Convolve(float* re, float* im, size_t valid) const;
    void Scale(float* re, float* im, float by) const;

    FloatFft m_fft;
    size_t m_delay = kNoDelay; // the tap of a kernel that is a pure delay
    size_t m_hop = 0;
    int m_channels = 0;
    // The kernel's spectrum (scaled for the inverse, in the transform's order) and the work, split.
    std::vector<float> m_kernelRe, m_kernelIm, m_re, m_im;
    std::vector<float> m_tail; // interleaved
};

class LinearPhaseFir {
public:
    // block: a power of two, 2 or more.
    void Configure(size_t block, int channels);
    void Design(const std::vector<double>& grid);
    void Reset();
    size_t GridSize() const { return 2 * m_block; }
    size_t Taps() const { return m_block ? m_block - 1 : 0; }
    // Frames from a frame in to its centre tap out: the hop plus half the taps.
    size_t Latency() const { return m_hop + Taps() / 2; }
    void Process(const float* in, float* out, size_t frames);

private:
    size_t m_block = 0, m_hop = 0;
    int m_channels = 0;
    std::unique_ptr<Fft> m_gridFft;
    FirBlocks m_blocks;
    // Interleaved: a hop in; a hop out.
    std::vector<float> m_input, m_ready;
    size_t m_fill = 0;
};

} // namespace fxkit
