// LinearPhaseFir: a linear-phase FIR filter made from a magnitude response by frequency
// sampling, applied by FFT convolution: overlap-add in hops of three blocks on a transform of
// four, which spreads the transform's cost over more frames than a hop of one block would while
// the delay a preview waits for stays under a second.
//
//   fir.Configure(8192, channels);        // block 8192: 8191 taps on a 16384-point grid
//   fir.Design(grid);                     // grid[k]: magnitude at k x rate / GridSize(), k <= GridSize() / 2
//   fir.Process(in, out, frames);         // interleaved; out is in delayed by Latency()
//
// The zero-phase impulse of the grid is cut to the taps under a Blackman window, whose centre
// weight is 1: a flat grid of 1 gives the input back, delayed. Each channel pair shares one
// complex transform.
#pragma once
#include "Fft.h"

#include <complex>
#include <cstddef>
#include <memory>
#include <vector>

namespace fxkit {

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
    void RunBlock();

    size_t m_block = 0, m_hop = 0;
    int m_channels = 0;
    std::unique_ptr<Fft> m_gridFft, m_fft;
    // The kernel's spectrum (scaled for the inverse, in the transform's order) and the work, split.
    std::vector<double> m_kernelRe, m_kernelIm, m_re, m_im;
    // Interleaved: a hop in; a hop out; the tail of the last transform, to add to the next.
    std::vector<float> m_input, m_ready, m_tail;
    size_t m_fill = 0;
};

} // namespace fxkit
