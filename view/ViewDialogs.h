// The dialogs the multitrack view opens that live above it, with the settings dialogs:
// Properties for a track, the Auto Stop Recording Timer, Set Track Label and Set Value for a
// sample. The program installs them at start-up; without them the view's commands open nothing.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

class CNyMultiTrackView;

struct ViewDialogs {
    std::function<void(CNyMultiTrackView* view, int track)> properties;
    std::function<void(CNyMultiTrackView* view)> recordingTimer;
    // Shows the label and lets it be edited; true on OK with the text typed.
    std::function<bool(CNyMultiTrackView* view, std::string* label)> trackLabel;
    // A sample's value (view units) in the amplitude scale's unit; true with the new value on OK.
    std::function<bool(CNyMultiTrackView* view, int64_t position, int32_t* value)> sampleValue;
};

// An empty set takes them away.
void SetViewDialogs(ViewDialogs dialogs);
const ViewDialogs& GetViewDialogs();
