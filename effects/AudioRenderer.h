// The DirectShow audio renderer of the playback device the user chose: section "Settings",
// "DirectSoundUse" (non-zero: the DirectSound renderer, else the waveOut renderer) and the
// device name "DirectSoundDevice" or "WaveOutDevice" ("" = the system's default device).
#pragma once
#include <windows.h>
#include <strmif.h>

// The devices of a category (CLSID_AudioRendererCategory, ...): S_OK with an enumerator the
// caller releases, or the failing code of the system device enumerator.
HRESULT EnumerateDeviceCategory(REFCLSID category, IEnumMoniker** devices);

// The first device of devices whose "CLSID" property is wanted and whose "FriendlyName" (or,
// missing, the "CLSID" text) contains name (case-sensitive), bound as a filter; devices
// that cannot be read or bound are passed over. S_OK with *filter, S_FALSE when none.
HRESULT FindRendererDevice(IEnumMoniker* devices, REFCLSID wanted, const char* name, IBaseFilter** filter);

// A new renderer filter of the configured device, in no graph yet; the configured class's
// default device when the name is empty or no device matches. On failure *filter is left
// as it was and the failing code of the creation is returned.
HRESULT CreateAudioRendererFilter(IBaseFilter** filter);

// 1 when CreateAudioRendererFilter gives a filter (released at once), else 0.
int CanCreateAudioRenderer();
