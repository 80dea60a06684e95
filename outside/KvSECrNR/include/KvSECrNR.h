// KvSECrNR.dll, Crackle Noise: clicks and crackles found where the sound departs from what an
// autoregressive model predicts, and filled in from the sound around them.
// IEffectParameters values: 0 sensitivity 0..100 %, 1 longest click 0.5..5 ms.
#pragma once
#include <windows.h>

// {BABF561E-C397-44F3-9B87-7DA6131F1AD7}
inline const CLSID CLSID_KvSECrNR = {0xBABF561E, 0xC397, 0x44F3, {0x9B, 0x87, 0x7D, 0xA6, 0x13, 0x1F, 0x1A, 0xD7}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B6019}
inline const CLSID CLSID_KvSECrNRPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x60, 0x19}};
