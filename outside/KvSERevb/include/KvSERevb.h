// KvSERevb.dll, Reverb: early reflections and a feedback delay network whose decay follows the
// reverberation time. The output is longer than the input by the tail down to -90 dBFS.
// IEffectParameters values: 0 reverberation time 0.1..20 s, 1 pre-delay 0..200 ms, 2 damping
// 0..100 % (high frequencies die sooner), 3 width 0..100 %, 4 early reflections 0..100 %,
// 5 mix 0..100 % (the reverberation at mix, the dry sound at 1 - mix).
#pragma once
#include <windows.h>

// {E45593E8-62DE-4395-B571-77732ACB2DD0}
inline const CLSID CLSID_KvSERevb = {0xE45593E8, 0x62DE, 0x4395, {0xB5, 0x71, 0x77, 0x73, 0x2A, 0xCB, 0x2D, 0xD0}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B6010}
inline const CLSID CLSID_KvSERevbPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x60, 0x10}};
