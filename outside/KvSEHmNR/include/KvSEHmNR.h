// KvSEHmNR.dll, Hum Noise: narrow notches at the mains frequency and its harmonics.
// IEffectParameters values: 0 mains frequency (0: 50 Hz, 1: 60 Hz), 1 harmonics above it
// 1..20, 2 notch width 0.5..20 Hz.
#pragma once
#include <windows.h>

// {744B0631-3D9E-4861-96B6-6A39C715C80C}
inline const CLSID CLSID_KvSEHmNR = {0x744B0631, 0x3D9E, 0x4861, {0x96, 0xB6, 0x6A, 0x39, 0xC7, 0x15, 0xC8, 0x0C}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B6018}
inline const CLSID CLSID_KvSEHmNRPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x60, 0x18}};
