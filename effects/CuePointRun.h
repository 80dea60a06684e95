// CuePointRun: cue points on every track of a document (kind 1, default names "Cue n") as one
// "Cue" step of its history, first removing every label but the track labels when asked. The
// split wizard's interval and silence runs end here.
//
//   bool changed = false;
//   HRESULT hr = CuePointRun::SetCuePoints(doc, {44100, 88200}, true, &changed);
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

class CommandDocument;

class CuePointRun {
public:
    // Runs the step and records it (the document marked modified) when it changes any label;
    // *changed tells whether it did. A step that changes nothing is not recorded. A failure
    // takes back what ran and returns its code.
    static HRESULT SetCuePoints(CommandDocument* document, const std::vector<int64_t>& positions, bool removeExisting,
                                bool* changed);
};
