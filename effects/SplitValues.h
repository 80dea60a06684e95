// The values of the split waveform wizard, free of windows: how its pages read, clamp, round and
// show times, the detection levels of each source type, where the cuts of an interval fall,
// which output formats a document may be split into and what the region files are called.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace split {

// Display units of the pages.
constexpr int kUnitSeconds = 0;
constexpr int kUnitMilliseconds = 1;

// Limits of the pages, in milliseconds.
constexpr int64_t kShortestInterval = 500;
constexpr int64_t kShortestSilence = 500;
constexpr int64_t kLongestSilence = 2000;

// A typed time in milliseconds: seconds (fractions allowed, to the nearest millisecond) or
// whole milliseconds; previous when the text holds no number.
int64_t ParseMilliseconds(const char* text, int unit, int64_t previous);
// The time as the page shows it: "%.2f" seconds or whole milliseconds.
std::string FormatMilliseconds(int64_t ms, int unit);
// To the nearest 10 ms, halves up: 7254 -> 7250, 7255 -> 7260.
int64_t RoundToTenMilliseconds(int64_t ms);
// The spin's step in a unit: 10 ms in seconds, 1 ms in milliseconds.
inline int64_t SpinStep(int unit)
{
    return unit == kUnitSeconds ? 10 : 1;
}

// Silence detection levels (16-bit scale) of source types 0 (analog, high noise) to 3 (CD/MD);
// any other type reads as 0.
struct SilenceLevels {
    int levelA;
    int levelB;
};
SilenceLevels LevelsOfSourceType(int sourceType);

// Cut positions every interval (frames at that rate), above 0 and below length; none for an
// interval or rate of 0.
std::vector<int64_t> IntervalPositions(uint32_t samplesPerSec, int64_t intervalMs, int64_t length);

// Output formats of split files (the list's item data).
struct SplitFormat {
    int id;
    const char* text;
    const char* extension;
};
const SplitFormat* SplitFormatById(int id);
// The formats listed for a document: type 1 (six channels) 0, 3, 4, 5 and 6 (6 only with
// modernWma); any other type 0 to 7, and 8 with the voice editor installed.
std::vector<int> ListedSplitFormats(int documentType, bool modernWma, bool voiceEditor);

// True when the prefix holds none of \ / : , ; * ? " < > |.
bool IsValidSplitPrefix(const std::string& prefix);
// folder (ending in a backslash) + prefix + the region number from 1 in four digits + extension.
std::string RegionFileName(const std::string& folder, const std::string& prefix, int region, int formatId);

} // namespace split
