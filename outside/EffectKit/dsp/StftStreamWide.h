// StftStreamWide: the short-time stream's stereo pair paths eight frames at a time, and its
// finished sums eight values at a time (AVX), for
// the processors that have it (wide::Enabled(), FftWide.h); StftStream takes them then. Built
// apart (its own instruction set), plain functions only. Same operations in the same order as
// the stream's four-wide loops: the results are equal bit for bit.
#pragma once
#include <cstddef>

namespace fxkit::wide {

// `count` frames of interleaved stereo from `history`, times the window, apart into re and im;
// the largest magnitude of each part raised into peaks[0] and peaks[1]. Returns the frames done
// (count rounded down to a multiple of 8); the caller does the rest.
size_t GatherStereo(const float* history, const float* window, float* re, float* im, size_t count, float* peaks);
// re and im times the window, in double, times firstScale and secondScale, onto `count` frames of
// interleaved stereo sums. Returns the frames done, as GatherStereo.
size_t AddStereo(double* sum, const float* re, const float* im, const float* window, size_t count, double firstScale,
                 double secondScale);

// `count` sums clipped to the float range (a NaN passes) into `to`, and cleared. Returns the
// values done (count rounded down to a multiple of 8).
size_t Finish(double* sum, float* to, size_t count, double largest);

} // namespace fxkit::wide
