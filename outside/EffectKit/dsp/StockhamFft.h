// StockhamFft: the kit's fastest path for a forward complex transform in double, natural order
// in and out (what Fft::Forward runs; use it through Fft). X[k] = sum x[n] e^(-2 pi i nk/N),
// unscaled. Radix-4 stages (one radix-2 stage for an odd power) that read one buffer and write
// another, so no reordering pass is needed; AVX2 with FMA when the processor has it, SSE2
// otherwise. The twiddles of a size are computed once, on its first use, and kept for the life
// of the process.
//
//   const StockhamFft& fft = StockhamFft::ForSize(1024);
//   fft.Forward(data, scratch);           // 1024 complex values each, (re, im) pairs
#pragma once
#include <cstddef>
#include <vector>

namespace fxkit {

class StockhamFft {
public:
    // size: a power of two, 1 or more. Thread-safe; the reference stays valid.
    static const StockhamFft& ForSize(size_t size);

    size_t Size() const { return m_size; }
    // data and scratch: Size() complex values as (re, im) pairs; the result replaces data,
    // scratch is overwritten.
    void Forward(double* data, double* scratch) const;

    explicit StockhamFft(size_t size);

private:
    size_t m_size;
    // Per radix-4 stage, from the first (longest): w^p, w^2p, w^3p for p below a quarter of the
    // stage's length, each as its own run of (re, im) pairs.
    std::vector<double> m_twiddles;
    std::vector<size_t> m_stageOffsets;
    bool m_avx2 = false;
};

// Forward kernels of one Stockham stage, exposed to the two instruction-set files.
namespace fftkernel {
struct Stage {
    const double* twiddles; // w1 run, then w2 run, then w3 run, quarter complex values each
    size_t quarter;         // length of the stage / 4
    size_t stride;          // s: the distance between the points of one sub-transform
};
void Radix4Sse2(const Stage& stage, const double* in, double* out);
void Radix2Sse2(size_t stride, const double* in, double* out);
void Radix4Avx2(const Stage& stage, const double* in, double* out);
void Radix2Avx2(size_t stride, const double* in, double* out);
} // namespace fftkernel

} // namespace fxkit
