// The dialogs the multitrack view opens that live above it, with the settings dialogs:
// Properties for a track and the Auto Stop Recording Timer. The program installs them at
// start-up; without them the view's commands open nothing.
#pragma once
#include <functional>

class CNyMultiTrackView;

struct ViewDialogs {
    std::function<void(CNyMultiTrackView* view, int track)> properties;
    std::function<void(CNyMultiTrackView* view)> recordingTimer;
};

// An empty set takes them away.
void SetViewDialogs(ViewDialogs dialogs);
const ViewDialogs& GetViewDialogs();
