// KvSEComp.dll, Compressor: feed-forward, soft knee in dB, attack and release, linked or
// per-channel detection, make-up gain. IEffectParameters values: 0 threshold -60..0 dB,
// 1 ratio 1..20, 2 limiter (1: ratio infinite), 3 knee width 0..24 dB, 4 make-up 0..24 dB,
// 5 attack 0.1..200 ms, 6 release 10..2000 ms, 7 detection (0 linked, 1 each channel).
#pragma once
#include <windows.h>

// {A66A65B4-F50E-4F40-900D-98331C17859C}
inline const CLSID CLSID_KvSEComp = {0xA66A65B4, 0xF50E, 0x4F40, {0x90, 0x0D, 0x98, 0x33, 0x1C, 0x17, 0x85, 0x9C}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D61}, {..5D62}
inline const CLSID CLSID_KvSECompPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x61}};
inline const CLSID CLSID_KvSECompTimingPage = {
    0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x62}};
