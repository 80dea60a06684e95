// The sound devices of the system: waveOut, DirectSound and waveIn names.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// kind 0 waveOut, 1 DirectSound (drivers other than the primary one).
std::vector<std::string> PlaybackDeviceNames(LONG kind);
// kind 0 waveIn.
std::vector<std::string> RecordingDeviceNames(LONG kind);
// Copies name into buffer (cut to capacity - 1, terminated).
HRESULT CopyName(const std::string& name, char* buffer, LONG capacity);
