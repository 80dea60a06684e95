// KvSEVoCl.dll, Remove Vocals: what sounds alike and in phase in both channels (the centre) is
// taken out inside a band. Stereo only (channel need 2). IEffectParameters values: 0 low edge
// Hz, 1 high edge Hz, 2 strength 0..100 %.
#pragma once
#include <windows.h>

// {BE50728C-C5CC-4C21-A39F-BD320A6FCA6C}
inline const CLSID CLSID_KvSEVoCl = {0xBE50728C, 0xC5CC, 0x4C21, {0xA3, 0x9F, 0xBD, 0x32, 0x0A, 0x6F, 0xCA, 0x6C}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5DA1}
inline const CLSID CLSID_KvSEVoClPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0xA1}};
