// Position text: a signed 64-bit sample position shown and typed in one of six time units,
// for a sample rate (samples per second) and a frame rate (frames per second; 29.97 exactly
// means drop-frame time code). -1 means no position, or bad input.
#pragma once
#include <cstdint>
#include <string>

// Time unit flags (also the unit combo's item data).
constexpr uint32_t kTimeUnitHms = 1;          // "00 : 01 : 02.500"
constexpr uint32_t kTimeUnitSeconds = 2;      // "62.500"
constexpr uint32_t kTimeUnitMilliseconds = 4; // "62500.0"
constexpr uint32_t kTimeUnitSamples = 8;      // "2756250"
constexpr uint32_t kTimeUnitFrames = 16;      // "1875"
constexpr uint32_t kTimeUnitTimeCode = 32;    // "00 : 01 : 02, 15"
constexpr double kDropFrameRate = 29.97;

// Formats by the first flag set in the order hh:mm:ss, seconds, milliseconds, samples,
// frames; any other unit formats as time code. A rate of 0 gives an empty text, except for
// samples.
void FormatPosition(std::string& text, uint32_t rate, uint32_t unit, double frameRate, int64_t position);
std::string FormatPosition(uint32_t rate, uint32_t unit, double frameRate, int64_t position);

// Parses typed text (blanks around it ignored); -1 for bad or negative input, 0 at rate 0
// (samples parse regardless of the rate). Frames and time code round up to the first sample
// of the frame, so formatting the result shows the typed frame again.
int64_t ParsePosition(const char* text, uint32_t rate, uint32_t unit, double frameRate);

// Completes a start/end/length triple (-1 = not given): start and end given -> ordered, and
// the length computed (false when the length was given as well); one end given -> the other
// from the length. True when the resulting range is not empty. Neither end given -> false,
// nothing changed.
bool ResolveRange(int64_t& start, int64_t& end, int64_t& length);
