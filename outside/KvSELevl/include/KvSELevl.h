// KvSELevl.dll, Gain: one gain per channel, ramped over 10 ms when it changes.
// Settings through IEffectParameters: values 0..5, the gain of channels 1..6 in dB,
// -60..+20, 0.1 dB steps.
#pragma once
#include <windows.h>

// {0ECC935A-A21C-4E1A-832E-4EF3B39D01C1}
inline const CLSID CLSID_KvSELevl = {0x0ECC935A, 0xA21C, 0x4E1A, {0x83, 0x2E, 0x4E, 0xF3, 0xB3, 0x9D, 0x01, 0xC1}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5C01}
inline const CLSID CLSID_KvSELevlPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5C, 0x01}};
