// KvSEHsNR.dll, Hiss Noise: hiss above a corner frequency taken down where the sound does not
// stand above the noise floor. IEffectParameters values: 0 reduction 0..40 dB, 1 corner
// 1000..10000 Hz, 2 threshold 0..20 dB above the floor.
#pragma once
#include <windows.h>

// {8CF52B15-8B18-413E-9453-3976212D1548}
inline const CLSID CLSID_KvSEHsNR = {0x8CF52B15, 0x8B18, 0x413E, {0x94, 0x53, 0x39, 0x76, 0x21, 0x2D, 0x15, 0x48}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B6017}
inline const CLSID CLSID_KvSEHsNRPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x60, 0x17}};
