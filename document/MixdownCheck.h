// Whether a document goes into a plain sound file unchanged or must be mixed down first,
// judged on what the engine mixes: master, each track's volume and pan, and the level and
// pan envelopes (their constant value, or their points while automation is read).
#pragma once
#include <vector>

struct MixTrackLevels {
    int channels = 1;
    float volume = 1.0f;
    float pan = 0.0f;
    // The level and pan envelopes' values the mix uses: the constant value, or every point
    // while automation is read and the envelope has points.
    std::vector<float> levelValues{1.0f};
    std::vector<float> panValues{0.0f};
    bool readable = true; // false when the engine did not answer
};

struct MixLevels {
    float master = 1.0f;
    bool multichannel = false;
    std::vector<MixTrackLevels> tracks;
};

bool NeedsMixdown(const MixLevels& levels, int fileType);
