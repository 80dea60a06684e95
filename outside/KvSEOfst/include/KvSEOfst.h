// KvSEOfst.dll, DC Offset: removes each channel's mean (measured in a first pass) or adds a
// fixed value. The value counts steps of the bit depth it was set for (8 bits: 1/128, 16 bits:
// 1/32768, 32 bits: 1/10000 of full scale); depth and value are kept and stored together.
// IEffectParameters values: 0 mode (0 remove the measured offset, 1 add the value), 1 value,
// 2 depth (0: 8, 1: 16, 2: 32 bits; set by the program through SetBitDepth).
#pragma once
#include <windows.h>

#include "InterfaceId.h"

// {062234EF-6F9C-4D88-A99E-1FD708F93AA8}
inline const CLSID CLSID_KvSEOfst = {0x062234EF, 0x6F9C, 0x4D88, {0xA9, 0x9E, 0x1F, 0xD7, 0x08, 0xF9, 0x3A, 0xA8}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5C11}
inline const CLSID CLSID_KvSEOfstPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5C, 0x11}};

// The slots the program calls (5, 6, 8, 10, 11, 12) are fixed; 7 and 9 are ours; 3 and 4 are
// fillers that answer E_NOTIMPL.
KV_DECLARE_IID(IDcOffsetSettings, 0x039366A9, 0x29DA, 0x4796, 0xA3, 0x12, 0x0F, 0x50, 0xEE, 0x4D, 0xDE, 0x63);
struct IDcOffsetSettings : IUnknown {
    STDMETHOD(Reserved3)() = 0;
    STDMETHOD(Reserved4)() = 0;
    // 5: nonzero: the stored value is added (one pass); zero: the measured mean is removed.
    STDMETHOD(GetMode)(int* mode) = 0;
    // 6: the value in steps of the depth.
    STDMETHOD(GetValue)(int* value) = 0;
    // 7
    STDMETHOD(SetMode)(int mode) = 0;
    // 8: 8, 16 or 32.
    STDMETHOD(GetBitDepth)(int* bits) = 0;
    // 9: 1 measuring, 2 applying, 0 not set.
    STDMETHOD(GetMeasuringMode)(int* mode) = 0;
    // 10: clamped to the depth's full scale; S_FALSE when clamped.
    STDMETHOD(SetValue)(int value) = 0;
    // 11: 1 measure, 2 apply; E_INVALIDARG otherwise.
    STDMETHOD(SetMeasuringMode)(int mode) = 0;
    // 12: 8, 16 or 32; any other depth is refused with E_INVALIDARG and nothing changes. The
    // value is kept as it is (the program converts it).
    STDMETHOD(SetBitDepth)(int bits) = 0;
};
