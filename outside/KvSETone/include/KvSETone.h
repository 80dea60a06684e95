// KvSETone.dll, Simple Tone: a band-limited sine, square, triangle or sawtooth, steady or swept.
// IEffectParameters values: 0 waveform (0 sine, 1 square, 2 triangle, 3 sawtooth),
// 1 frequency in Hz, 2 level in dBFS (the ideal wave's peak), 3 sweep (0 none, 1 linear,
// 2 logarithmic), 4 the sweep's end frequency in Hz. Frequencies stay below 0.45 of the rate.
// The program sets the format while the output is unconnected.
#pragma once
#include <windows.h>

#include "IEffectEnvironment.h"

// {8072E2A0-B0E3-473A-A8E0-B9C011F8EB18}
inline const CLSID CLSID_KvSETone = {0x8072E2A0, 0xB0E3, 0x473A, {0xA8, 0xE0, 0xB9, 0xC0, 0x11, 0xF8, 0xEB, 0x18}};
// {32A58C1E-456C-4A46-BC65-4ECCCDA7D989}
inline const CLSID CLSID_KvSETonePage = {0x32A58C1E, 0x456C, 0x4A46, {0xBC, 0x65, 0x4E, 0xCC, 0xCD, 0xA7, 0xD9, 0x89}};

KV_DECLARE_IID(IToneGenerator, 0xDA05F733, 0xAE8F, 0x4F29, 0x8D, 0x2B, 0x48, 0x15, 0x12, 0x7C, 0x3E, 0xFC);
struct IToneGenerator : IUnknown {
    KV_FILLER_SLOT(3);
    KV_FILLER_SLOT(4);
    KV_FILLER_SLOT(5);
    KV_FILLER_SLOT(6);
    KV_FILLER_SLOT(7);
    // 8: 8, 16, 24 (PCM) or 32 (float); VFW_E_ALREADY_CONNECTED while connected.
    STDMETHOD(SetBitsPerSample)(unsigned short bits) = 0;
    KV_FILLER_SLOT(9);
    KV_FILLER_SLOT(10);
    KV_FILLER_SLOT(11);
    KV_FILLER_SLOT(12);
    KV_FILLER_SLOT(13);
    // 14: 1, 2 or 6.
    STDMETHOD(SetChannelCount)(unsigned short channels) = 0;
    KV_FILLER_SLOT(15);
    // 16: Hz, 1000..768000.
    STDMETHOD(SetSampleRate)(unsigned rate) = 0;
    KV_FILLER_SLOT(17);
    // 18: frames of the next run, 1 or more; VFW_E_NOT_STOPPED while running.
    STDMETHOD(SetLength)(LONGLONG frames) = 0;
};
