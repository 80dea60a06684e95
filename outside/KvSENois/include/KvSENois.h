// KvSENois.dll, Noise: white, pink (-3 dB per octave) or brown (-6 dB per octave) noise,
// each channel its own. IEffectParameters values: 0 colour (0 white, 1 pink, 2 brown), 1 level
// in dBFS RMS, -60..0. The program sets the format while the output is unconnected.
#pragma once
#include <windows.h>

#include "IEffectEnvironment.h"

// {A3105B97-DCA2-45BD-92B2-BB7FF2AD7072}
inline const CLSID CLSID_KvSENois = {0xA3105B97, 0xDCA2, 0x45BD, {0x92, 0xB2, 0xBB, 0x7F, 0xF2, 0xAD, 0x70, 0x72}};

KV_DECLARE_IID(INoiseGenerator, 0xC25FDEE6, 0x9A15, 0x43EC, 0x92, 0xE8, 0x05, 0xA6, 0x43, 0xFE, 0x0C, 0x1A);
struct INoiseGenerator : IUnknown {
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

// {28D289CB-4B47-41D8-8EB4-8318B8EC9AEC}
inline const CLSID CLSID_KvSENoisPage = {0x28D289CB, 0x4B47, 0x41D8, {0x8E, 0xB4, 0x83, 0x18, 0xB8, 0xEC, 0x9A, 0xEC}};
