// CentreGainsWide: Remove Vocals' band gains eight bins at a time (AVX), over a pair of channels'
// transform in the float transform's (bit-reversed) order, for the processors that have it
// (fxkit::wide::Enabled()). There the bins k and size - k of positions 2^m .. 2^(m+1) - 1 sit
// mirrored (p and 3 * 2^m - 1 - p), so both come in by plain loads and a reversal. Built apart
// (its own instruction set), a plain function only. Same operations as the kernel's four-wide
// loop: the results are equal bit for bit.
#pragma once
#include <cstddef>
#include <cstdint>

namespace fx::wide {

// Each pair of positions from 16 up (size a power of two, 32 or more) whose mask is set (-1; the
// same for both of a pair) takes the gain 1 - strength s^8 from its channels' similarity s;
// the rest keep their values. Positions 0 .. 15 are the caller's.
void ScaleCentre(float* re, float* im, const int32_t* inBand, size_t size, float strength);

} // namespace fx::wide
