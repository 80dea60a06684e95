#include "MixdownCheck.h"

#include <algorithm>

namespace {

// The pan the mix applies with one envelope value: the track's pan plus it, clamped.
float EffectivePan(float pan, float envelope)
{
    return std::max(-1.0f, std::min(1.0f, pan + envelope));
}

bool AllPans(const MixTrackLevels& t, float wanted)
{
    for (float v : t.panValues)
        if (EffectivePan(t.pan, v) != wanted)
            return false;
    return true;
}

bool Centred(const std::vector<MixTrackLevels>& tracks)
{
    for (const MixTrackLevels& t : tracks)
        if (t.pan != 0.0f || !AllPans(t, 0.0f))
            return false;
    return true;
}

} // namespace

bool NeedsMixdown(const MixLevels& levels, int fileType)
{
    if (static_cast<int>(levels.master * 10000.0f) != 10000)
        return true;
    int total = 0;
    for (const MixTrackLevels& t : levels.tracks) {
        // What cannot be read cannot be shown to be unity: mix it down rather than lose it.
        if (!t.readable || t.volume != 1.0f)
            return true;
        for (float v : t.levelValues)
            if (v != 1.0f)
                return true;
        total += t.channels;
    }
    if (levels.multichannel)
        return true;
    const std::vector<MixTrackLevels>& tracks = levels.tracks;
    if (total == 1 || (total == 2 && tracks.size() == 1))
        return !Centred(tracks);
    if (total == 2 && tracks.size() == 2)
        return !(AllPans(tracks[0], -1.0f) && AllPans(tracks[1], 1.0f));
    return fileType == 3 ? !Centred(tracks) : true;
}
