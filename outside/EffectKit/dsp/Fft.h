// Fft: an in-place complex radix-2 transform of a fixed power-of-two size, with its twiddles
// and bit-reversal table computed once. Forward has no scaling; Inverse divides by the size.
#pragma once
#include <complex>
#include <cstddef>
#include <vector>

namespace fxkit {

class Fft {
public:
    // size: a power of two, 2 or more.
    explicit Fft(size_t size);
    size_t Size() const { return m_size; }
    void Forward(std::complex<double>* data) const;
    void Inverse(std::complex<double>* data) const;

private:
    void Run(std::complex<double>* data, bool inverse) const;

    size_t m_size;
    std::vector<std::complex<double>> m_twiddles;
    std::vector<size_t> m_reversed;
};

} // namespace fxkit
