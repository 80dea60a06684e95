// StripLevelTarget: where the mixer's track faders and pan sliders send their values. The
// multitrack view's amplitude-scale pane takes them (live changes gathered into one undoable
// step a gesture); DocumentLevelTarget does the same on the document alone.
#pragma once
#include <cstdint>

class StripLevelTarget {
public:
    // Opens a change of the track's volume; the limits are levels (x 10000).
    virtual void BeginVolumeChange(int track, int* minimum, int* maximum) = 0;
    virtual void SetTrackVolume(int track, double volume) = 0;
    // Closes the change: one undoable step when the value moved.
    virtual void EndVolumeChange(int track) = 0;
    virtual void BeginPanChange(int track) = 0;
    virtual void SetTrackPan(int track, double pan) = 0;
    virtual void EndPanChange(int track) = 0;
    // Puts the track back to the value it had when the change began, recording nothing.
    virtual void CancelLiveChange(int track) = 0;
    // While a change writes automation (track flag 128): the envelope points of the kind (0
    // volume, 1 pan) that playback has passed since the change began go; failures are thrown.
    virtual void DeleteEnvelopePoint(int track, int kind, int64_t position) = 0;

protected:
    ~StripLevelTarget() = default;
};
