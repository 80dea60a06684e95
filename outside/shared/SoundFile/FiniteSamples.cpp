#include "FiniteSamples.h"

#include <cstring>

namespace {

// An exponent of all ones is an infinity (no fraction) or a NaN.
constexpr uint32_t kExponent = 0x7F800000u;
constexpr uint32_t kFraction = 0x007FFFFFu;
constexpr uint32_t kSign = 0x80000000u;
constexpr uint32_t kOne = 0x3F800000u; // 1.0f

inline uint32_t Finite(uint32_t v)
{
    if ((v & kExponent) != kExponent)
        return v;
    return (v & kFraction) ? 0 : (v & kSign) | kOne;
}

} // namespace

void MakeFinite(uint8_t* samples, size_t count, bool bigEndian)
{
    for (size_t i = 0; i < count; ++i) {
        uint32_t v;
        std::memcpy(&v, samples + 4 * i, 4);
        if (bigEndian)
            v = __builtin_bswap32(v);
        if ((v & kExponent) != kExponent)
            continue;
        v = Finite(v);
        if (bigEndian)
            v = __builtin_bswap32(v);
        std::memcpy(samples + 4 * i, &v, 4);
    }
}
