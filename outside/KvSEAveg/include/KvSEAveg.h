// KvSEAveg.dll, Smoothing: a centred moving average run one or more times. IEffectParameters
// values: 0 width as an index of the odd widths 3, 5, .., 63 (width = 3 + 2 index), 1 passes 1..4.
#pragma once
#include <windows.h>

// {F3E304E1-2581-4DAA-9BFE-AFB2CB3A6C65}
inline const CLSID CLSID_KvSEAveg = {0xF3E304E1, 0x2581, 0x4DAA, {0x9B, 0xFE, 0xAF, 0xB2, 0xCB, 0x3A, 0x6C, 0x65}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D51}
inline const CLSID CLSID_KvSEAvegPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x51}};
