// KvSFndSp.dll, the silence finder: a renderer that ends a render chain and watches the sound
// that reaches it for silences (see dsp/SilenceDetector.h for what a silence is). 16-bit PCM or
// 32-bit float, 1, 2 or 6 channels. No pages and no stored settings.
//
// Use: SetDetection before the run; after it GetCount and GetPosition. A new run forgets the
// silences of the last; a run that fails or is stopped before its end finds none.
#pragma once
#include <windows.h>

#include "IEffectEnvironment.h"

// {55A40C94-192B-44E3-9BC8-9CC4C6E2A693}
inline const CLSID CLSID_KvSFndSp = {0x55A40C94, 0x192B, 0x44E3, {0x9B, 0xC8, 0x9C, 0xC4, 0xC6, 0xE2, 0xA6, 0x93}};

KV_DECLARE_IID(ISilenceFinderSettings, 0xF793DFE1, 0xCAED, 0x4DAA, 0xA2, 0x6F, 0x5D, 0x88, 0x73, 0xDF, 0x29, 0x6B);
struct ISilenceFinderSettings : IUnknown {
    // 3: silences found by the last run that reached its end.
    STDMETHOD_(LONG, GetCount)() = 0;
    // 4: start + end (frames from the run's first frame) of silence index, so half of it is
    // the silence's middle; -1 for an index out of range.
    STDMETHOD_(LONGLONG, GetPosition)(LONG index) = 0;
    // 5: the least duration in milliseconds (10 ms .. 24 h), level A and level B on the 16-bit
    // scale (0..32768; B below A is taken as A); S_FALSE when a value had to be clamped.
    // Taken by the next run; VFW_E_NOT_STOPPED while one runs.
    STDMETHOD(SetDetection)(LONG durationMs, LONG levelA, LONG levelB) = 0;
};
