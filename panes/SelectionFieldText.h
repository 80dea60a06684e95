// The Selection Control pane's own position texts: a sample position shown and typed in one
// of six units (the TimeUnit bits 1 hh:mm:ss, 2 seconds, 4 milliseconds, 8 samples, 16 frames,
// 32 time code) at a sample rate and a frame rate (exactly 29.97: drop-frame time code).
#pragma once
#include <cstdint>
#include <string>

// The first unit bit set picks the form; none of 1..16 is time code. Rate 0: empty text.
std::string FormatSelectionField(uint32_t unit, uint32_t rate, double frameRate, int64_t position);
// -1 for a text that does not fit the unit, 0 at rate 0.
int64_t ParseSelectionField(const char* text, uint32_t unit, uint32_t rate, double frameRate);
// The unit bit's index in the unit list (0..5).
int SelectionUnitIndex(uint32_t unit);
