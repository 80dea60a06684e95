#include "AmplitudeScaleCore.h"

#include "RulerCore.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

AmplitudeUnits MakeAmplitudeUnits(uint32_t units, int bits, int signedDisplay)
{
    AmplitudeUnits u;
    u.unit = units & kRulerAmplitudeMask;
    if (bits == 32) {
        if (u.unit == kRulerDecimal || u.unit == kRulerHexadecimal)
            u.unit = kRulerPercentage;
        bits = 16;
    }
    if (bits < 1 || bits > 31)
        bits = 16;
    u.bits = bits;
    u.offset = int32_t(int64_t(1) << (bits - 1));
    u.range = (int64_t(1) << bits) - 1;
    u.signedDisplay = signedDisplay;
    return u;
}

std::string FormatAmplitudeReadout(const AmplitudeUnits& units, int32_t value)
{
    char text[64];
    // 64-bit: at 24 bits (offset + value) x 200 passes 2^31.
    int64_t shifted = int64_t(units.offset) + value;
    int64_t u = units.signedDisplay ? value : shifted;
    switch (units.unit) {
    case kRulerDecimal:
        std::snprintf(text, sizeof text, "%" PRId64 " ", u);
        break;
    case kRulerHexadecimal: {
        int digits = units.bits / 8 * 2;
        char hex[32];
        std::snprintf(hex, sizeof hex, "%0*" PRIX64, digits, uint64_t(u));
        size_t length = std::strlen(hex);
        const char* last = hex + (length > size_t(digits) ? length - size_t(digits) : 0);
        std::snprintf(text, sizeof text, "%s ", last);
        break;
    }
    case kRulerDb: {
        double q = double(shifted * 200) / double(units.range);
        // The middle of the range is silence, far below the quietest step: never log10(0).
        double distance = std::max(std::fabs(q - 100), 100.0 / double(units.range));
        std::snprintf(text, sizeof text, "%ddB ", int(std::trunc(20 * (std::log10(distance) - 2))));
        break;
    }
    default:
        std::snprintf(text, sizeof text, "%" PRId64 "%% ", shifted * 200 / units.range - 100);
        break;
    }
    return text;
}

VolumeBounds GroupVolumeBounds(float start, const std::vector<float>& groupStarts, bool linked)
{
    if (!linked)
        return VolumeBounds{0.0f, 1.5f};
    float smallest = 1.5f, largest = 0.0f;
    for (float v : groupStarts) {
        smallest = std::min(smallest, v);
        largest = std::max(largest, v);
    }
    return VolumeBounds{start - smallest, 1.5f - largest + start};
}
