// FftWide: the float transform's larger passes eight butterflies at a time (AVX), for the
// processors that have it; BasicFft<float> takes them when Enabled(). Built apart from the rest
// (its own instruction set) and holding nothing but these plain functions, so no shared inline
// code comes out in AVX. Same operations in the same order as the four-wide passes: the results
// are equal bit for bit.
//
// Twiddles per eight butterflies: radix 4 as w^k, w^2k, w^3k, each as eight real parts then
// eight imaginary parts; radix 2 as w^k's eight real then eight imaginary parts.
//
// The last three stages (the radix-2 one of size 8, then sizes 4 and 2) go in one pass, a block
// of eight points in a register each, the butterflies' partners brought in by permutes: no
// transposes; eight blocks at a time go transposed (a register per point of the eight blocks),
// each butterfly a whole register. Its twiddles are the four-wide table of the size-8 pass:
// w^0 .. w^3 real, then imaginary.
#pragma once
#include <cstddef>

namespace fxkit::wide {

constexpr size_t kWidth = 8;

// The processor and the system keep AVX registers (checked once), and no test has turned it off.
bool Enabled();
// For tests: the four-wide passes alone (false), or the wide ones where available (true).
void Enable(bool on);

// Over `span` floats in blocks of `size`: radix 4 needs size / 4, radix 2 size / 2, to be a
// multiple of kWidth.
void ForwardPass4(float* re, float* im, size_t span, size_t size, const float* twiddles);
void InversePass4(float* re, float* im, size_t span, size_t size, const float* twiddles);
void ForwardPass2(float* re, float* im, size_t span, size_t size, const float* twiddles);
void InversePass2(float* re, float* im, size_t span, size_t size, const float* twiddles);
// Over `span` floats, a multiple of 8: the forward's last three stages, and the inverse's first.
void ForwardLast3(float* re, float* im, size_t span, const float* twiddles);
void InverseFirst3(float* re, float* im, size_t span, const float* twiddles);
// An even power's last two stages (sizes 4 and 2), and the inverse's first, 64 floats at a time,
// transposed as above: the floats done (span rounded down to 64), the rest the caller's.
size_t ForwardLast2(float* re, float* im, size_t span);
size_t InverseFirst2(float* re, float* im, size_t span);

} // namespace fxkit::wide
