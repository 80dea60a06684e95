// The mouse side of the document's selection in the track area and the time ruler: a press
// (with Shift: extend; on a selection edge: grab that edge; else a new caret) followed by a
// modal drag loop on the window thread that pumps the thread's messages until the button
// goes up, Escape is pressed or the pane loses the capture. The selection model itself is
// window-free; the loop takes its pointer positions from the mouse messages it pumps.
#pragma once
#include <windows.h>

class CNyMultiTrackView;

// The pixels added to a press's x when a sample is wider than a pixel (0 otherwise), so that
// the press takes the sample drawn under it.
int PixelCorrection(CNyMultiTrackView* view);

// The selection edge a track-area point lies on: 1 start, 2 end, 0 none (within 3 pixels, on
// a selected row of a non-empty selection).
int SelectionEdgeAt(CNyMultiTrackView* view, int x, int y);

// The press of a pane (the track area, or the time ruler when fromRuler) at a client point;
// edge: the selection edge under it as SelectionEdgeAt gives (-1: find it in the track area).
void SelectionMouseDown(CNyMultiTrackView* view, HWND pane, bool fromRuler, int edge, int x, int y, UINT flags);

// The next message of a pane's modal drag: a move or release over the pane (in *msg), Escape,
// or the end (the pane lost the capture); every other message is dispatched on the way.
enum class DragMessage { kEnded, kEscape, kMouse };
DragMessage NextDragMessage(HWND pane, MSG* msg);
