// KvSEPhIv.dll, Reverse Phase: the polarity of the chosen channels reversed, exactly.
// IEffectParameters values 0..5: channels 1..6, each 0 (kept) or 1 (reversed).
#pragma once
#include <windows.h>

// {3B106F42-59F1-48EE-8F14-D6327F7B5133}
inline const CLSID CLSID_KvSEPhIv = {0x3B106F42, 0x59F1, 0x48EE, {0x8F, 0x14, 0xD6, 0x32, 0x7F, 0x7B, 0x51, 0x33}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D11}
inline const CLSID CLSID_KvSEPhIvPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x11}};
