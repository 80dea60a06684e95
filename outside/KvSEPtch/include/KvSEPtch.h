// KvSEPtch.dll, Pitch Shift: the pitch moved by semitones, the length kept. IEffectParameters
// value: 0 shift -24..+24 semitones. IPitchShiftSettings: 1 before a preview (real time),
// 0 before processing (best quality).
#pragma once
#include <windows.h>

#include "InterfaceId.h"

// {FAEF30F7-F622-4BCE-AC1A-233564CFA5F6}
inline const CLSID CLSID_KvSEPtch = {0xFAEF30F7, 0xF622, 0x4BCE, {0xAC, 0x1A, 0x23, 0x35, 0x64, 0xCF, 0xA5, 0xF6}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B6011}
inline const CLSID CLSID_KvSEPtchPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x60, 0x11}};

KV_DECLARE_IID(IPitchShiftSettings, 0xB1CBAEFC, 0xFED6, 0x4ADF, 0x8C, 0xF5, 0x90, 0xBF, 0x61, 0xD1, 0x47, 0x5A);
struct IPitchShiftSettings : IUnknown {
    // 3: 1 before a preview (quick), 0 before processing (best); the length is the same.
    STDMETHOD(SetPreviewMode)(int preview) = 0;
};
