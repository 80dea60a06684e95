// Fft: the kit's one fast Fourier transform, of a fixed power-of-two size, in double (Fft) or
// float (FloatFft), with one path for each use:
//
//   fxkit::Fft fft(2048);
//   fft.Forward(spectrum);            // complex, natural order in and out, unscaled
//   fft.Inverse(spectrum);            // and back, divided by the size
//
//   fxkit::RealFft real(2048);        // real input: one transform of half the size
//   real.Forward(samples, bins);      // 2048 reals -> bins 0 .. 1024
//   real.Inverse(bins, samples);      // and back, divided by the size
//
//   fft.ForwardSplit(re, im);         // split parts, natural order in, the transform's order out
//   fft.InverseSplit(re, im);         // the transform's order in, natural out, not scaled
//   fft.ConvolveSplit(re, im, kernelRe, kernelIm);   // both at once, kernel from ForwardSplit
//
//   fft.ForwardSplit(left, right);    // two real signals as one complex one, then
//   fft.SplitPair(left, right, l, r); // their bins 0 .. size / 2, apart
//   fft.JoinPair(l, r, left, right);  // and back together for InverseSplit
//
// Convolution and filtering in the spectrum need no order: two spectra in the transform's order
// multiply bin by bin as in natural order, so the split path skips the reordering, and
// ConvolveSplit works block by block while each is in the cache. Two real signals convolved
// with one real kernel go through one complex transform as its real and imaginary parts.
// BinAt gives the bin a split position holds, PositionOf the reverse. The float order is the
// bit reversal (so bins k and k + size / 2 sit side by side: what a rate doubler needs); in
// double each group of four positions holds its bins in natural order.
//
// The stages go in pairs (radix 2 x 2, one radix-2 stage last for an odd power), each SSE
// instruction doing four butterflies in float and two in double (eight in float by AVX on the
// larger passes where the processor has it, and there the last two stages, or an odd power's
// last three, in one pass: FftWide.h); sizes below 16 take a plain loop.
// Forward in double goes through StockhamFft instead (radix-4 stages between two buffers,
// AVX2 when the processor has it): about twice as fast in natural order as the split path plus
// its reordering. Tables are made once per size; a transform object is not to be shared
// between threads.
#pragma once
#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fxkit {

class StockhamFft;

template <class T>
class BasicFft {
public:
    // size: a power of two, 2 or more.
    explicit BasicFft(size_t size = 16);
    void Resize(size_t size);
    size_t Size() const { return m_size; }

    void Forward(std::complex<T>* data) const;
    void Inverse(std::complex<T>* data) const;
    void ForwardSplit(T* re, T* im) const;
    void InverseSplit(T* re, T* im) const;
    void ConvolveSplit(T* re, T* im, const T* kernelRe, const T* kernelIm) const;
    void SplitPair(const T* re, const T* im, std::complex<T>* first, std::complex<T>* second) const;
    // Bins 0 and size / 2 of each are taken as real (as a real signal's are).
    void JoinPair(const std::complex<T>* first, const std::complex<T>* second, T* re, T* im) const;
    size_t BinAt(size_t position) const { return m_bins[position]; }
    size_t PositionOf(size_t bin) const { return m_positions[bin]; }

private:
    struct Pass {
        size_t size;     // of the blocks it runs on
        size_t radix;    // 2: one stage; 4: the stages of this size and half of it
        size_t twiddles; // offset of its table in m_twiddles
        size_t wide;     // of its eight-wide table in m_wideTwiddles, or kNoWide
    };
    static constexpr size_t kNoWide = ~size_t(0);
    void ForwardBlock(T* re, T* im, size_t length, size_t pass) const;
    void InverseBlock(T* re, T* im, size_t length, size_t pass) const;
    void ConvolveBlock(T* re, T* im, const T* kernelRe, const T* kernelIm, size_t length, size_t pass) const;
    void ForwardPass(T* re, T* im, size_t span, const Pass& pass) const;
    void InversePass(T* re, T* im, size_t span, const Pass& pass) const;
    // The pass eight butterflies at a time, where it can be: whether it ran.
    bool RunWide(const Pass& pass, bool inverse, T* re, T* im, size_t span) const;
    const float* FusedLast() const;
    void ForwardSmall(T* re, T* im) const;
    void InverseSmall(T* re, T* im) const;

    size_t m_size = 0;
    std::vector<Pass> m_passes; // largest first; the last two stages are not among them
    std::vector<T> m_twiddles;
    std::vector<float> m_wideTwiddles; // float only: the passes of eight butterflies at a time
    std::vector<double> m_cos, m_sin; // of 2 pi j / size (sizes below 16)
    std::vector<uint32_t> m_bins, m_positions;
    mutable std::vector<T> m_re, m_im; // the natural-order path's work
    const StockhamFft* m_stockham = nullptr; // double's Forward
    mutable std::vector<double> m_scratch;   // and its second buffer
};

// Transform of real signals of a power-of-two size (4 or more) through one complex transform
// of half the size: bins 0 .. size / 2 (the rest mirror them).
template <class T>
class BasicRealFft {
public:
    explicit BasicRealFft(size_t size = 32);
    size_t Size() const { return 2 * m_half.Size(); }
    void Forward(const T* x, std::complex<T>* bins) const;
    // Inverse(Forward(x)) = x.
    void Inverse(const std::complex<T>* bins, T* x) const;

private:
    BasicFft<T> m_half;
    std::vector<std::complex<T>> m_turn; // e^(-2 pi i k / size), k <= size / 4
    mutable std::vector<T> m_re, m_im;
};

using Fft = BasicFft<double>;
using FloatFft = BasicFft<float>;
using RealFft = BasicRealFft<double>;
using FloatRealFft = BasicRealFft<float>;

} // namespace fxkit
