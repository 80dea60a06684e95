// Dragging the selected audio with the mouse: a press inside the selection, on a selected row
// and over the track's audio, copies that audio to where the button goes up: another place of
// the same document, another document window (which is activated on the way and takes the
// loop over), or the main window outside every document (a new document). Escape, the right
// button or a lost capture cancel; a press that never moves 2 pixels only places the caret.
// The drop itself is the document's (CSelectionModel::DropAudio). Window thread only; the
// loops pump the thread's messages.
#pragma once
#include <windows.h>

#include <cstdint>

class CNyMultiTrackView;

// Whether a track-area press at position on row starts an audio drag: the press lies inside
// the selection on a selected row, "EnableMouseEdit" is on, and the track holds audio there.
bool IsAudioDragPress(CNyMultiTrackView* view, int64_t position, int row);

// How an audio drag ended: the view it ended in, and where the drop goes when one is pending
// (the drag state's drop position is not negative; null target: a new document).
struct AudioDragOutcome {
    CNyMultiTrackView* ended = nullptr;
    CNyMultiTrackView* target = nullptr;
};

// The modal drag from a press at (x, y) of view's track area, which holds the capture; it
// follows the pointer into other document windows. The drag state of the selection model
// keeps the target row and the drop position (-1: nothing to drop). A press that never moved
// leaves the selection collapsed at position on row.
AudioDragOutcome RunAudioDrag(CNyMultiTrackView* view, int x, int y, int64_t position, int row);

// Draws the drop line of every dragged track where it would land in view (skin colour 47),
// after taking away the lines drawn before; with no drop pending only takes them away.
void DrawDropMarker(CNyMultiTrackView* view, CNyMultiTrackView* source);
