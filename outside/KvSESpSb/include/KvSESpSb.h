// KvSESpSb.dll, Remove Noise using Profile: lowers what the noise profile written by Get Noise
// Profile (KvSESpLr) describes. At the start of each stream it reads
// "<work folder>\KvSSpectralSubtraction\setting.ini"; a missing, damaged or foreign profile
// (other channel count or rate) fails the run. IEffectParameters values: 0 reduction in dB
// (0..40, the deepest a bin is lowered), 1 smoothing in % (0..98, how slowly the gain follows
// the signal; more is calmer against musical noise). Mono or stereo.
#pragma once
#include <windows.h>

// {649A9891-2786-46D8-87DC-16CAB58A33D1}
inline const CLSID CLSID_KvSESpSb = {0x649A9891, 0x2786, 0x46D8, {0x87, 0xDC, 0x16, 0xCA, 0xB5, 0x8A, 0x33, 0xD1}};
// {F97D4758-8828-4A15-8448-6961865A7A2F}
inline const CLSID CLSID_KvSESpSbPage = {0xF97D4758, 0x8828, 0x4A15, {0x84, 0x48, 0x69, 0x61, 0x86, 0x5A, 0x7A, 0x2F}};
