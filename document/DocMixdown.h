// Pieces of the document's mixdowns that other handlers share or tests check directly.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "ComRef.h"
#include "KsMultiTrack.h"

struct IEditCommand;
struct ProgressRecord;
class CNyMultiTrackDoc;

// Percent of a render done, rounded half up; 0 while the duration is unknown (0), at most 100.
LONG MixdownProgressPercent(LONGLONG position, LONGLONG duration);

// Replaces track index by a new track of channels channels, filled from item when given,
// inside transaction (each child run, then appended): the old track's labels follow to the
// new one and its start offset is kept; with carryMixing also its level, pan and group.
// Failures are thrown; the caller undoes the transaction.
void ReplaceTrackCarrying(CNyMultiTrackDoc* document, IEditCommand* transaction, int index, WORD channels,
                          IUnknown* item, bool carryMixing = true);

// Sends a progress record titled "Processing..." to the main window: kind 1 opens, 2 moves to
// value percent, 4 ends done, 6 ends failed. The record as the receiver left it (its cancel
// request) lands in *out.
LRESULT SendProgress(WPARAM kind, LONG value, ProgressRecord* out = nullptr);

// The views stay frozen while a render reads the engine.
struct FreezeScope {
    explicit FreezeScope(CNyMultiTrackDoc* d);
    ~FreezeScope();
    FreezeScope(const FreezeScope&) = delete;
    FreezeScope& operator=(const FreezeScope&) = delete;
    CNyMultiTrackDoc* document;
};

// A render marks the tracks it reads in the engine; when the scope ends the engine's marks
// follow the document's selection again.
struct MarksKeeper {
    explicit MarksKeeper(CNyMultiTrackDoc* d);
    ~MarksKeeper();
    MarksKeeper(const MarksKeeper&) = delete;
    MarksKeeper& operator=(const MarksKeeper&) = delete;
    CNyMultiTrackDoc* document;
    ComRef<IMtSelection> selection;
};
