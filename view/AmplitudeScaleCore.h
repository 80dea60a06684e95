// The amplitude scale's arithmetic without a window: the readout text of a sample value in
// each amplitude unit, and the range a grouped track's volume may take.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct AmplitudeUnits {
    uint32_t unit = 0x100; // kRulerPercentage, kRulerDecimal, kRulerHexadecimal or kRulerDb
    int bits = 16;         // 32-bit documents count as 16
    int32_t offset = 32768;
    int64_t range = 65535;
    int signedDisplay = 1;
};

// The units for a document's bits: 32 bits show as 16 and lose Decimal and Hexadecimal.
AmplitudeUnits MakeAmplitudeUnits(uint32_t units, int bits, int signedDisplay);
// "%ld ", "%ld%% ", "%0*X " or "%ddB " of a sample value in view units.
std::string FormatAmplitudeReadout(const AmplitudeUnits& units, int32_t value);

struct VolumeBounds {
    float lower;
    float upper;
};
// Where the changed track's volume may go so that no member of its group (the start values
// of the members, the changed one included) leaves 0..1.5; ungrouped: 0..1.5.
VolumeBounds GroupVolumeBounds(float start, const std::vector<float>& groupStarts, bool linked);
