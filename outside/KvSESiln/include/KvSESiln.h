// KvSESiln.dll, Silence: a source of digital silence (0, or 128 at 8 bits) of a set length.
// No settings and no pages; the program sets the format while the output is unconnected.
#pragma once
#include <windows.h>

#include "IEffectEnvironment.h"

// {1E819706-914C-4EB6-B109-2DD8B248ABE9}
inline const CLSID CLSID_KvSESiln = {0x1E819706, 0x914C, 0x4EB6, {0xB1, 0x09, 0x2D, 0xD8, 0xB2, 0x48, 0xAB, 0xE9}};

KV_DECLARE_IID(ISilenceGenerator, 0x3237401F, 0x79CA, 0x4BC2, 0x85, 0xC7, 0x0C, 0xB1, 0x6E, 0xC0, 0xBC, 0xE2);
struct ISilenceGenerator : IUnknown {
    KV_FILLER_SLOT(3);
    // 4: 8, 16, 24 (PCM) or 32 (float); VFW_E_ALREADY_CONNECTED while connected.
    STDMETHOD(SetBitsPerSample)(unsigned short bits) = 0;
    KV_FILLER_SLOT(5);
    KV_FILLER_SLOT(6);
    KV_FILLER_SLOT(7);
    KV_FILLER_SLOT(8);
    KV_FILLER_SLOT(9);
    // 10: 1, 2 or 6.
    STDMETHOD(SetChannelCount)(unsigned short channels) = 0;
    KV_FILLER_SLOT(11);
    // 12: Hz, 1000..768000.
    STDMETHOD(SetSampleRate)(unsigned rate) = 0;
    KV_FILLER_SLOT(13);
    // 14: frames of the next run, 1 or more; VFW_E_NOT_STOPPED while running.
    STDMETHOD(SetLength)(LONGLONG frames) = 0;
};
