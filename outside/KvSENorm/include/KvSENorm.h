// KvSENorm.dll, Normalize: one gain for all channels, from their common peak as measured in
// a first pass, so that the peak lands on the target. IEffectParameters value 0: target in
// dBFS, -40..0. The measuring mode is set through INormalizeSettings (slot 8).
#pragma once
#include <windows.h>

#include "InterfaceId.h"

// {584C9850-EF09-469C-9FCE-214213487C51}
inline const CLSID CLSID_KvSENorm = {0x584C9850, 0xEF09, 0x469C, {0x9F, 0xCE, 0x21, 0x42, 0x13, 0x48, 0x7C, 0x51}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5C21}
inline const CLSID CLSID_KvSENormPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5C, 0x21}};

KV_DECLARE_IID(INormalizeSettings, 0xA2E4701B, 0x22C6, 0x4AD8, 0xB3, 0xF8, 0x1F, 0x8F, 0x83, 0x88, 0x50, 0x34);
struct INormalizeSettings : IUnknown {
    // 3: the peak of the last measuring pass (full scale 1.0; 0 before one).
    STDMETHOD(GetMeasuredPeak)(double* peak) = 0;
    // 4..7: fillers (E_NOTIMPL).
    STDMETHOD(Reserved4)() = 0;
    STDMETHOD(Reserved5)() = 0;
    STDMETHOD(Reserved6)() = 0;
    STDMETHOD(Reserved7)() = 0;
    // 8: 1 measure, 2 apply; E_INVALIDARG otherwise.
    STDMETHOD(SetMeasuringMode)(int mode) = 0;
};
