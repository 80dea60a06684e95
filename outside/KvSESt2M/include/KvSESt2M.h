// KvSESt2M.dll, Stereo to Mono: two channels in, one out. IEffectParameters values:
// 0 method (0 mean, 1 left, 2 right, 3 balance), 1 balance -100 (left) .. +100 (right) %,
// used by the balance method. Takes stereo only (channel need 2).
#pragma once
#include <windows.h>

// {2EE5BC52-DB3F-4187-AC79-137B39161B70}
inline const CLSID CLSID_KvSESt2M = {0x2EE5BC52, 0xDB3F, 0x4187, {0xAC, 0x79, 0x13, 0x7B, 0x39, 0x16, 0x1B, 0x70}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D21}
inline const CLSID CLSID_KvSESt2MPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x21}};
