// Levels: linear 0..10000 (10000 = unity) and hundredths of a decibel (floor -8000).
// Both directions truncate toward zero, so a round trip need not return the same level.
#pragma once
#include <cstdint>

constexpr int32_t kLevelUnity = 10000;
constexpr int32_t kMillibelFloor = -8000;

// 0 or below -> -8000; otherwise 2000 x log10(level / 10000).
int32_t LevelToMillibel(int32_t level);
// 350 and above -> 15000; otherwise 10000 x 10^(millibel / 2000).
int32_t MillibelToLevel(int32_t millibel);
