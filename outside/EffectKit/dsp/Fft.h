// Fft: an in-place complex transform of a fixed power-of-two size (radix-4 stages, one radix-2
// stage when the size is an odd power), with its twiddles and reordering computed once.
// Forward has no scaling; Inverse divides by the size.
//
// ForwardSplit and InverseSplit take the real and the imaginary parts in two arrays and skip
// the reordering: the spectrum comes out in the transform's own bin order, which the other takes
// back. Convolution needs no more: two spectra in that order multiply bin by bin as in natural
// order. InverseSplit does not scale. ConvolveSplit is ForwardSplit, a multiplication by a
// spectrum ForwardSplit made, and InverseSplit, done block by block while each is in the cache.
#pragma once
#include <complex>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace fxkit {

class Fft {
public:
    // size: a power of two, 2 or more.
    explicit Fft(size_t size);
    size_t Size() const { return m_size; }
    void Forward(std::complex<double>* data) const;
    void Inverse(std::complex<double>* data) const;
    void ForwardSplit(double* re, double* im) const;
    void InverseSplit(double* re, double* im) const;
    void ConvolveSplit(double* re, double* im, const double* kernelRe, const double* kernelIm) const;

private:
    void ForwardScrambled(double* data) const;
    void InverseScrambled(double* data) const;
    void ForwardSplitBlock(double* re, double* im, size_t length, size_t stage) const;
    void InverseSplitBlock(double* re, double* im, size_t length, size_t stage) const;
    void ConvolveSplitBlock(double* re, double* im, const double* kernelRe, const double* kernelIm, size_t length,
                            size_t stage) const;
    void ForwardSplitStage(double* re, double* im, size_t span, size_t length, size_t stage) const;
    void InverseSplitStage(double* re, double* im, size_t span, size_t length, size_t stage) const;

    size_t m_size;
    // Per radix-4 stage, largest first, per pair of butterflies k, k + 1: the real parts of
    // w^k and w^(k+1), then their imaginary parts, for w, w^2 and w^3.
    std::vector<double> m_twiddles;
    std::vector<size_t> m_stageOffsets;                 // into m_twiddles, per radix-4 stage
    std::vector<std::pair<uint32_t, uint32_t>> m_swaps; // scrambled order to natural, in turn
};

} // namespace fxkit
