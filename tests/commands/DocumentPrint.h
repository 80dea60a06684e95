// One print of everything an edit may change in a document, as text that compares whole and
// shows where two differ: the format; every track's channels, span, samples (hashed), volume,
// pan, cut-off, mute, solo and record flags, group record, selected channels and the points of
// its five envelopes; the master volume; the live labels in table order with the index of the
// track each names (not their ids, which hold the places of labels made and taken back); the
// selection last: the time range, the all-tracks mode and the selected rows.
#pragma once
#include "MultiTrackDoc.h"

#include <string>

namespace kvtest {

std::string DocumentPrint(CNyMultiTrackDoc* doc);
// The print without its selection line: undo gives back the selection the undone command
// defines, and a replay the selection its last command left.
std::string WithoutSelection(const std::string& print);
inline std::string ContentPrint(CNyMultiTrackDoc* doc)
{
    return WithoutSelection(DocumentPrint(doc));
}

} // namespace kvtest
