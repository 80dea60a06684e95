// Fft: an in-place complex transform of a fixed power-of-two size (radix-4 stages, one radix-2
// stage when the size is an odd power), with its twiddles and reordering computed once.
// Forward has no scaling; Inverse divides by the size.
//
// ForwardScrambled and InverseScrambled skip the reordering: the spectrum comes out in the
// transform's own bin order, which the other takes back. Convolution needs no more: two spectra
// in that order multiply bin by bin as in natural order. InverseScrambled does not scale.
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
    void ForwardScrambled(std::complex<double>* data) const;
    void InverseScrambled(std::complex<double>* data) const;

private:
    size_t m_size;
    std::vector<double> m_twiddles;                     // per radix-4 stage, largest first: w^k, w^2k, w^3k of each k
    std::vector<size_t> m_stageOffsets;                 // into m_twiddles, per radix-4 stage
    std::vector<std::pair<uint32_t, uint32_t>> m_swaps; // scrambled order to natural, in turn
};

} // namespace fxkit
