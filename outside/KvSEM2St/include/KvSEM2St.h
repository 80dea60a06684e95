// KvSEM2St.dll, Mono to Stereo: one channel in, two out. IEffectParameters values:
// 0 method (0 copy, 1 pan, 2 wide), 1 pan -100 (left) .. +100 (right) %, 2 width 0..100 %.
// Takes mono only.
#pragma once
#include <windows.h>

// {AB4647B9-0F12-4488-83AA-EA178AA8549C}
inline const CLSID CLSID_KvSEM2St = {0xAB4647B9, 0x0F12, 0x4488, {0x83, 0xAA, 0xEA, 0x17, 0x8A, 0xA8, 0x54, 0x9C}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D31}
inline const CLSID CLSID_KvSEM2StPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x31}};
