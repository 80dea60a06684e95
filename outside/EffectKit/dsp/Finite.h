// Keeping a kernel finite. Its float output never holds an infinity, however large the finite
// input (a sum or a gain beyond the float range stops at the largest float); a NaN or an
// infinity that comes in is taken as silence or the largest float before it reaches state that
// lasts (delay lines, running sums, spectra), so the kernel settles back to finite output.
//
//   const double x = fxkit::Finite(in[i]);     // at the door of lasting state
//   out[i] = fxkit::ToFloat(y);                // on the way out
#pragma once
#include <cmath>

namespace fxkit {

constexpr double kLargestFloat = 3.4028234663852886e38;

// x clipped to the float range; a NaN stays a NaN (whatever the input was, it passes).
inline float ToFloat(double x)
{
    return float(x < -kLargestFloat ? -kLargestFloat : x > kLargestFloat ? kLargestFloat : x);
}

// NaN as silence, an infinity as the largest float of its sign.
inline double Finite(double x)
{
    return x != x ? 0.0 : x < -kLargestFloat ? -kLargestFloat : x > kLargestFloat ? kLargestFloat : x;
}

// x within +-limit (NaN as silence): for state that sums many inputs.
inline double Bounded(double x, double limit)
{
    return x != x ? 0.0 : x < -limit ? -limit : x > limit ? limit : x;
}

} // namespace fxkit
