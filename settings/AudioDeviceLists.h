// The names of the sound devices the wave device panel lists: the engine's device exports by
// default, a fixed table in tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class AudioDeviceLists {
public:
    virtual ~AudioDeviceLists() = default;
    // kind 0 waveOut, 1 DirectSound (without the primary driver); empty when none.
    virtual std::vector<std::string> PlaybackNames(LONG kind) const = 0;
    // waveIn devices.
    virtual std::vector<std::string> RecordingNames() const = 0;
};

// The lists of the multitrack engine (loaded on first use); empty when it cannot be loaded.
const AudioDeviceLists& EngineDeviceLists();
