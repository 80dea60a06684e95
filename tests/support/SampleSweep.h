// Floats that test a float -> integer conversion: every 16-bit value and every halfway point
// between two, the halfway points of 8 bits, of 20 bits and of 24 bits near zero and full
// scale, full scale and the floats beside it, huge values, infinities, NaNs, zeros, denormals
// and a spread of ordinary values.
#pragma once
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace kvtest {

inline std::vector<float> FloatSweep()
{
    std::vector<float> v;
    for (int i = -32769; i <= 32767; ++i) {
        v.push_back(static_cast<float>(i) / 32768);
        v.push_back((static_cast<float>(i) + 0.5f) / 32768);
    }
    for (int i = -129; i <= 128; ++i)
        v.push_back((static_cast<float>(i) + 0.5f) / 128);
    for (int i : {0, 1, 2, 3, 1000, 524285, 524286, 524287, 524288}) {
        v.push_back((static_cast<float>(i) + 0.5f) / 524288);
        v.push_back((static_cast<float>(-i) - 0.5f) / 524288);
    }
    for (int i : {0, 1, 2, 3, 1000, 8388605, 8388606, 8388607, 8388608}) {
        v.push_back((static_cast<float>(i) + 0.5f) / 8388608);
        v.push_back((static_cast<float>(-i) - 0.5f) / 8388608);
    }
    const float inf = std::numeric_limits<float>::infinity();
    for (float x : {1.0f, 2.0f, 1e10f, std::numeric_limits<float>::max(), inf, std::numeric_limits<float>::min(),
                    std::numeric_limits<float>::min() / 2, std::numeric_limits<float>::denorm_min(), 0.0f}) {
        v.push_back(x);
        v.push_back(-x);
        v.push_back(std::nextafter(x, inf));
        v.push_back(std::nextafter(x, -inf));
        v.push_back(std::nextafter(-x, inf));
        v.push_back(std::nextafter(-x, -inf));
    }
    v.push_back(std::numeric_limits<float>::quiet_NaN());
    v.push_back(-std::numeric_limits<float>::quiet_NaN());
    v.push_back(std::numeric_limits<float>::signaling_NaN());
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> d(-1.2f, 1.2f);
    for (int i = 0; i < 5000; ++i)
        v.push_back(d(rng));
    return v;
}

} // namespace kvtest
