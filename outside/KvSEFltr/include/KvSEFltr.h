// KvSEFltr.dll, Filter: Butterworth low pass, high pass, band pass or band stop. IEffectParameters
// values: 0 type (0 low pass, 1 high pass, 2 band pass, 3 band stop), 1 cutoff (low edge) Hz,
// 2 high edge Hz (band types), 3 order 2..8. Frequencies are limited to 0.45 of the rate.
#pragma once
#include <windows.h>

// {3A672E38-9CF9-46BF-AC6E-9D53BEEF7D0B}
inline const CLSID CLSID_KvSEFltr = {0x3A672E38, 0x9CF9, 0x46BF, {0xAC, 0x6E, 0x9D, 0x53, 0xBE, 0xEF, 0x7D, 0x0B}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D41}
inline const CLSID CLSID_KvSEFltrPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x41}};
