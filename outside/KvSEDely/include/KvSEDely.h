// KvSEDely.dll, Delay: a feedback delay line with damping, optionally ping-pong. The output is
// longer than the input by the echoes' tail down to -90 dBFS. IEffectParameters values: 0 delay
// 1..3000 ms, 1 feedback 0..95 %, 2 mix 0..100 % (echoes at mix, the dry sound at 1 - mix),
// 3 damping 0..100 % (high frequencies lost per pass), 4 ping-pong (0 off, 1 on).
#pragma once
#include <windows.h>

// {B2728E1D-A02B-46EE-8D03-1FFBFB8A72CB}
inline const CLSID CLSID_KvSEDely = {0xB2728E1D, 0xA02B, 0x46EE, {0x8D, 0x03, 0x1F, 0xFB, 0xFB, 0x8A, 0x72, 0xCB}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B6009}
inline const CLSID CLSID_KvSEDelyPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x60, 0x09}};
