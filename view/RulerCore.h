// The time ruler's arithmetic without a window: the tick grid for a zoom and the text of a
// tick label in each of the six time units.
#pragma once
#include <cstdint>
#include <string>

// Bits of the document's ruler units word.
constexpr uint32_t kRulerTimeMask = 0xFF;
constexpr uint32_t kRulerHms = 1, kRulerSeconds = 2, kRulerMilliseconds = 4, kRulerSamples = 8, kRulerFrames = 16,
                   kRulerTimeCode = 32;
constexpr uint32_t kRulerAmplitudeMask = 0xFF00;
constexpr uint32_t kRulerPercentage = 0x100, kRulerDecimal = 0x200, kRulerHexadecimal = 0x400, kRulerDb = 0x800;
constexpr uint32_t kRulerPresetMask = 0xF0000;
constexpr uint32_t kRulerFilm24 = 0x10000, kRulerPal25 = 0x20000, kRulerNtsc2997 = 0x40000, kRulerNtsc30 = 0x80000;

struct RulerGrid {
    int64_t firstIndex = 0; // a multiple of 10
    double firstOffset = 0; // pixels from the waveform's left edge, zero or negative
    double spacing = 0;     // pixels; 0: no grid
    double step = 0;        // 1/10000 s per tick, or samples per tick in the sample unit
};

// The grid at a sample rate and zoom from the first visible sample, ticks at least two digit
// widths apart. A rate, zoom or frame rate of 0 gives no grid (spacing 0).
RulerGrid ComputeRulerGrid(uint32_t units, double frameRate, double sampleRate, double samplesPerPixel,
                           int64_t firstVisible, int digitWidth);
// Label of a tick at value (1/10000 s, or samples in the sample unit) with the grid's step.
std::string FormatTickLabel(uint32_t units, double frameRate, double step, double value);
