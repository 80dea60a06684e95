// The Split Waveform command (1097): the wizard's pages in turn (type; interval or silence;
// split to files), with what its pages share: the cue-point step and its refresh, and the
// texts of the string table.
#pragma once
#include "Framework.h"

#include <cstdint>
#include <string>
#include <vector>

class CNyMultiTrackDoc;

// Runs the wizard on the document: refuses a document without a whole millisecond of sound
// (61291) and splitting at cue points without any (57667, then the type page again); Back on
// the second page shows the type page again.
void RunSplitWaveform(CNyMultiTrackDoc* document);

// Cue points at the positions on every track as one "Cue" step (removing every label but the
// track labels first when asked), then the views refreshed as after a cue: the selection
// collapsed to its start, the view and the marker list redrawn. Failures shown.
HRESULT ApplySplitCuePoints(CNyMultiTrackDoc* document, const std::vector<int64_t>& positions, bool removeExisting);

// What a multichannel document hands the split dialogs (its channel word; the usual six-channel
// word when it has none); 0x80000000 for any other document.
DWORD SplitFormatWord(CNyMultiTrackDoc* document);

// A text of the program's string table.
std::string SplitText(UINT id);
