// KvSELoFi.dll, Lo-Fi: fewer bits, a lower sample rate by holding samples, a band limit, mixed
// with the dry sound. IEffectParameters values: 0 bits 1..16, 1 hold rate 500 Hz..the rate,
// 2 band limit 500..20000 Hz (0.45 of the rate at most; there it is off), 3 mix 0..100 %.
#pragma once
#include <windows.h>

// {BCBB7FB5-E420-40E9-AB51-E4EF472AC6B7}
inline const CLSID CLSID_KvSELoFi = {0xBCBB7FB5, 0xE420, 0x40E9, {0xAB, 0x51, 0xE4, 0xEF, 0x47, 0x2A, 0xC6, 0xB7}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D91}
inline const CLSID CLSID_KvSELoFiPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x91}};
