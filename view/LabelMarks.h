// The document's marks in the view: cues, sections and the loop drawn in each track's marker
// strip and in the time ruler (track -1), their lines through the waveform rows, and the mouse
// on them: a mark edge dragged as a modal loop (one "Cue" step), a click that opens the name
// editor, and a section or loop stretched to a new mouse selection.
#pragma once
#include <windows.h>

class CLabelTable;
class CNyMultiTrackView;

// Images and names of the marks of a track (-1: the all-tracks marks) in a strip.
void DrawTrackLabels(CNyMultiTrackView* view, HDC dc, int track, const RECT& strip);
// The mark lines of a track tiled down its rectangle.
void DrawMarkers(CNyMultiTrackView* view, HDC dc, int track, const RECT& area);
// The half width the hit test grants a mark edge (half the cue image).
int LabelHitHalfWidth();
// The rectangle a mark takes in its strip (image and name); empty when it is not shown.
RECT GetLabelRect(CNyMultiTrackView* view, int labelId);
// Invalidates what a mark draws: its image and name in its strip (the time ruler for an
// all-tracks mark) and its lines down the track area.
void InvalidateLabel(CNyMultiTrackView* view, int labelId);

// A press of the track area's marker strip (track) or the ruler (-1) on a mark edge drags
// the mark; false when no mark is there.
bool PressOnLabel(CNyMultiTrackView* view, HWND pane, int track, int x, int y);
// The modal move of the current label (after CLabelTable::HitTest) from a press at (x, y) of
// the pane: the time ruler for an all-tracks mark, else the track area.
void DragLabel(CNyMultiTrackView* view, HWND pane, int x, int y);
// The label's range becomes the selection, its rows selected; scroll brings its start in sight.
void SelectLabel(CNyMultiTrackView* view, int labelId, bool scroll);
// The active label fits the selection and is a section or the loop: a press on a selection
// edge stretches it (EditLabelAt).
bool ActiveLabelStretchable(CNyMultiTrackView* view);
// A press that re-selects with the mouse and stretches the active section or loop to the
// resulting selection as one "Cue" step; edge as SelectionMouseDown takes it.
void EditLabelAt(CNyMultiTrackView* view, HWND pane, bool fromRuler, int edge, int x, int y, UINT flags);
