// KvSETime.dll, Time Stretch: the sound made longer or shorter without changing its pitch; the
// output has round(input frames x length / 100) frames. IEffectParameters value: 0 length
// 25..400 % of the input. ITimeStretchSettings: 1 before a preview (real time), 0 before
// processing (best quality).
#pragma once
#include <windows.h>

#include "InterfaceId.h"

// {131D6016-5F4B-45C3-841E-C989A8680700}
inline const CLSID CLSID_KvSETime = {0x131D6016, 0x5F4B, 0x45C3, {0x84, 0x1E, 0xC9, 0x89, 0xA8, 0x68, 0x07, 0x00}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B6012}
inline const CLSID CLSID_KvSETimePage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x60, 0x12}};

KV_DECLARE_IID(ITimeStretchSettings, 0xBE8828D3, 0x1974, 0x481D, 0x80, 0xF4, 0x14, 0x19, 0x74, 0x36, 0x26, 0x84);
struct ITimeStretchSettings : IUnknown {
    // 3: 1 before a preview (quick), 0 before processing (best); the length is the same.
    STDMETHOD(SetPreviewMode)(int preview) = 0;
};
