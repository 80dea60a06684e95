// The texts and meter values of the mixer strips: levels 0..15000 (10000 = 0 dB) shown in dB,
// typed dB values read back, peak-hold labels and falling meter bars.
#pragma once
#include <cstdint>
#include <string>

// " 0.0" at unity, "-6.0" at 5000, "-inf." at 0 (a leading blank for values of 0 dB and above).
std::string LevelText(int32_t level);
// What a level label accepts: the number clamped to -80.0 .. 3.521825 dB; true when it had to
// be clamped (the label then shows the clamped value with "%f").
bool ClampTypedDb(double& db);
// A typed dB text as a level: -6 gives 5011; before any caller's own limits.
int32_t LevelFromDbText(const char* text);

// Hundredths of a dB of a 16-bit peak (0 gives -8000).
int32_t PeakMillibel(int32_t peak);
// The peak-hold rule: the label's text changes only when the new peak reads higher; true when
// it changed. "0.0" within a tenth of full scale, "-inf." at the floor, else "-12.3".
bool RaisePeakText(std::string& text, int32_t peak);
// One meter tick: the bar falls by 2000 a tick and jumps up to a louder peak; a peak of
// -32768 counts as 32767 so that the bar never passes full scale.
int32_t NextMeterValue(int32_t previous, int32_t peak);
