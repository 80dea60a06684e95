// What an effect module is told about its surroundings before the user's settings are loaded:
// the program's work folder, the channel mode and layout of the first selected track and the
// document's sample rate, each through the optional interface the module may offer.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <string>

struct EffectEnvironment {
    std::string workFolder; // the temporary folder, without a trailing backslash
    int channelMode = 0;    // 2 mono, 1 stereo, else 0
    int channelLayout = 0;  // 1 mono, 2 stereo, 3 six channels, else 0
    DWORD sampleRate = 0;
};

// The environment of a first selected track of that many channels (0: none selected) in a
// document of that rate, with the program's temporary folder.
EffectEnvironment MakeEffectEnvironment(int firstTrackChannels, DWORD sampleRate);

// Offers each value to the interfaces that take it, in this order, skipping those the filter
// does not answer: work folder, channel mode (two), channel layout (two), sample rate (two,
// the graphic equaliser's, a third).
void TellEffectEnvironment(IUnknown* filter, const EffectEnvironment& environment);
