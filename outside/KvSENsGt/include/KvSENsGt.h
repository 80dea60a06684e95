// KvSENsGt.dll, Noise Gate: opens when the level rises above the threshold, closes when it has
// stayed below threshold - hysteresis for the hold time; closed, the sound is lowered by the
// range. IEffectParameters values: 0 threshold -80..0 dB, 1 hysteresis 0..20 dB, 2 range
// -80..0 dB, 3 attack 0.1..100 ms, 4 hold 0..1000 ms, 5 release 1..2000 ms.
#pragma once
#include <windows.h>

// {17C5257A-45B8-4517-9290-A621AE001860}
inline const CLSID CLSID_KvSENsGt = {0x17C5257A, 0x45B8, 0x4517, {0x92, 0x90, 0xA6, 0x21, 0xAE, 0x00, 0x18, 0x60}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D71}
inline const CLSID CLSID_KvSENsGtPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x71}};
