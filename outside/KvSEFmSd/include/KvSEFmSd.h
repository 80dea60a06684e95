// KvSEFmSd.dll, FM Tone: a phase-modulated sine, sin(carrier phase + index sin(modulator phase)).
// IEffectParameters values: 0 carrier in Hz (below 0.45 of the rate), 1 modulator in Hz,
// 2 index (radians of phase deviation), 3 level in dBFS peak. The program sets the format while
// the output is unconnected.
#pragma once
#include <windows.h>

#include "IEffectEnvironment.h"

// {D0BAA084-F549-41C5-86DB-7A328E948E0B}
inline const CLSID CLSID_KvSEFmSd = {0xD0BAA084, 0xF549, 0x41C5, {0x86, 0xDB, 0x7A, 0x32, 0x8E, 0x94, 0x8E, 0x0B}};
// {A337DF6E-3DBD-4624-A632-D54F8926A706}
inline const CLSID CLSID_KvSEFmSdPage = {0xA337DF6E, 0x3DBD, 0x4624, {0xA6, 0x32, 0xD5, 0x4F, 0x89, 0x26, 0xA7, 0x06}};

KV_DECLARE_IID(IFmToneGenerator, 0x0A6CF8E3, 0x35B0, 0x440C, 0xAB, 0x78, 0x09, 0x7D, 0xED, 0x33, 0x9F, 0xBA);
struct IFmToneGenerator : IUnknown {
    KV_FILLER_SLOT(3);
    KV_FILLER_SLOT(4);
    KV_FILLER_SLOT(5);
    KV_FILLER_SLOT(6);
    KV_FILLER_SLOT(7);
    KV_FILLER_SLOT(8);
    KV_FILLER_SLOT(9);
    // 10: 8, 16, 24 (PCM) or 32 (float); VFW_E_ALREADY_CONNECTED while connected.
    STDMETHOD(SetBitsPerSample)(unsigned short bits) = 0;
    KV_FILLER_SLOT(11);
    KV_FILLER_SLOT(12);
    KV_FILLER_SLOT(13);
    KV_FILLER_SLOT(14);
    KV_FILLER_SLOT(15);
    // 16: 1, 2 or 6.
    STDMETHOD(SetChannelCount)(unsigned short channels) = 0;
    KV_FILLER_SLOT(17);
    // 18: Hz, 1000..768000.
    STDMETHOD(SetSampleRate)(unsigned rate) = 0;
    KV_FILLER_SLOT(19);
    // 20: frames of the next run, 1 or more; VFW_E_NOT_STOPPED while running.
    STDMETHOD(SetLength)(LONGLONG frames) = 0;
};
