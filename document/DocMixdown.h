// Pieces of the document's mixdowns that other handlers share or tests check directly.
#pragma once
#include <windows.h>
#include <unknwn.h>

struct IEditCommand;
class CNyMultiTrackDoc;

// Percent of a render done, rounded half up; 0 while the duration is unknown (0), at most 100.
LONG MixdownProgressPercent(LONGLONG position, LONGLONG duration);

// Replaces track index by a new track of channels channels, filled from item when given,
// inside transaction (each child run, then appended): the old track's labels follow to the
// new one and its start offset is kept; with carryMixing also its level, pan and group.
// Failures are thrown; the caller undoes the transaction.
void ReplaceTrackCarrying(CNyMultiTrackDoc* document, IEditCommand* transaction, int index, WORD channels,
                          IUnknown* item, bool carryMixing = true);
