// KvSEModu.dll, Modulator: tremolo, ring modulation or vibrato from a low-frequency oscillator.
// IEffectParameters values: 0 kind (0 tremolo, 1 ring, 2 vibrato), 1 rate Hz (0.1..20; ring up
// to 5000), 2 depth 0..100 %, 3 shape (0 sine, 1 triangle, 2 square, 3 saw).
#pragma once
#include <windows.h>

// {CA0F57B5-0CA4-497C-9E06-1D0A74238D3D}
inline const CLSID CLSID_KvSEModu = {0xCA0F57B5, 0x0CA4, 0x497C, {0x9E, 0x06, 0x1D, 0x0A, 0x74, 0x23, 0x8D, 0x3D}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D81}
inline const CLSID CLSID_KvSEModuPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x81}};
