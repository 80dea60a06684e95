// KvSENrmC.dll, Channel Normalize: each channel scaled on its own so that its peak, measured in
// a first pass, lands on the target. IEffectParameters value 0: target in dBFS, -40..0. The
// measuring mode is slot 6 of IEffectChannelLayout2 (the effect kit's environment interface).
#pragma once
#include <windows.h>

// {813975DA-8724-4198-838A-30EC46B40DCB}
inline const CLSID CLSID_KvSENrmC = {0x813975DA, 0x8724, 0x4198, {0x83, 0x8A, 0x30, 0xEC, 0x46, 0xB4, 0x0D, 0xCB}};
// {6A1E0B31-57C4-4F0E-9B61-1D2C3A4B5D01}
inline const CLSID CLSID_KvSENrmCPage = {0x6A1E0B31, 0x57C4, 0x4F0E, {0x9B, 0x61, 0x1D, 0x2C, 0x3A, 0x4B, 0x5D, 0x01}};
