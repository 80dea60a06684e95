// KvSESpLr.dll, Get Noise Profile: passes the sound unchanged and averages its power spectrum
// per channel; when the stream ends (not when it is stopped) it writes the profile to
// "<work folder>\KvSSpectralSubtraction\setting.ini" in one step (a whole new file replaces the
// old one), for Remove Noise (KvSESpSb). IEffectParameters value 0: FFT size (0 512,
// 1 1024, 2 2048, 3 4096). Mono or stereo; needs the work folder (IEffectWorkFolder).
#pragma once
#include <windows.h>

// {DCF77A8A-7ED4-4CA7-A34B-8680B684EF5C}
inline const CLSID CLSID_KvSESpLr = {0xDCF77A8A, 0x7ED4, 0x4CA7, {0xA3, 0x4B, 0x86, 0x80, 0xB6, 0x84, 0xEF, 0x5C}};
// {2C5E7663-19CD-4399-A9E8-E7AD7313906D}
inline const CLSID CLSID_KvSESpLrPage = {0x2C5E7663, 0x19CD, 0x4399, {0xA9, 0xE8, 0xE7, 0xAD, 0x73, 0x13, 0x90, 0x6D}};

// The profile file below the work folder.
inline const char kNoiseProfileFile[] = "\\KvSSpectralSubtraction\\setting.ini";
