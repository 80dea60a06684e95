// The floating panes' table and the layout values of the main window and the panes, as text
// under "Settings": the main window's "Position" holds the ten WINDOWPLACEMENT fields after its
// length ("%i:%i:...", flags first, then the show command, minimized and maximized points and
// the normal rectangle); a pane's value holds the same ten and an extra value (its rolled-up
// flag; for the controller also its layout flag in bits 4-7). A pane's show command field is 1
// when it was visible and 0 when hidden.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// In the order the panes are arranged and saved.
enum class PaneKind { Controller, MarkerList, Selection, VideoPreview, Analysis, Mixer, EffectLauncher };
constexpr int kPaneKindCount = 7;

struct PaneInfo {
    PaneKind kind;
    int commandId;         // the pane's toggle command
    const char* valueName; // its layout value under "Settings"
    int offset;            // arranged at main window's top-left + (offset, offset)
    SIZE fixedSize;        // arranged at this size; (0, 0): the minimum of its size limits
    bool showWhenArranged; // SW_SHOWNA after arranging
    bool rollsUp;          // has a rolled-up state to restore and save
    UINT titleStringId;    // title of a plain mini frame (0: the frame sets its own)
};

const PaneInfo& GetPaneInfo(PaneKind kind);
// The pane of a toggle command; null for other ids.
const PaneInfo* FindPaneByCommand(int commandId);

// Where ArrangeFloatingPanes would put a pane with nothing else around, in screen coordinates.
RECT ArrangedPaneRect(PaneKind kind, const RECT& mainWindow, SIZE minimumSize);
// The place nearest to preferred (same size) inside area that meets none of taken: preferred
// itself when it is free, else a place beside or below a taken rectangle. Where every place
// meets something, the one that covers the least; preferred unchanged when none fits inside.
RECT FindFreePaneRect(const RECT& preferred, const RECT& area, const std::vector<RECT>& taken);
// The rectangle a pane saved as `saved` comes back at, given its minimum size now. One smaller
// than the minimum both ways (an older version saved an empty marker list) gets the size a first
// start gives it; one short of the minimum one way only (a minimum grown with the fonts or the
// skin since) is lengthened that way and keeps its other side. Always at its saved top-left.
RECT RestoredPaneRect(PaneKind kind, const RECT& saved, const RECT& mainWindow, SIZE minimum);
// The extra value saved with a pane.
int PaneExtraValue(PaneKind kind, BOOL rolledUp, BOOL layoutFlag);
// The placement a pane is saved with: show command 1 or 0 by visibility, and for a rolled-up
// pane the bottom at top + its full height.
void AdjustPanePlacement(WINDOWPLACEMENT* placement, BOOL visible, BOOL rolledUp, int fullHeight);

std::string FormatWindowPlacement(const WINDOWPLACEMENT& placement);
std::string FormatPanePlacement(const WINDOWPLACEMENT& placement, int extra);
// TRUE only when all eleven fields were read; the record's length is not touched.
BOOL ParsePanePlacement(const char* text, WINDOWPLACEMENT* placement, int* extra);

// "Settings" "Position".
void SaveWindowPlacement(const WINDOWPLACEMENT& placement);
void SavePanePlacement(const char* valueName, const WINDOWPLACEMENT& placement, int extra);
// FALSE for a missing or empty value, or one that is not eleven integers.
BOOL LoadWindowPlacement(const char* valueName, WINDOWPLACEMENT* placement, int* extra);
// Whether the pane is built at its first show rather than at start: one that a start would
// show hidden from its saved value (the marker list and the video preview; the others are
// either shown at a first start or needed by the rest while hidden).
bool IsPaneBuiltOnFirstShow(PaneKind kind);

// A rectangle that meets none of the areas is moved (keeping its size where it fits) into the
// nearest one; one that meets any area is left alone. FALSE when nothing moved.
BOOL MoveRectOntoNearestArea(RECT* rect, const std::vector<RECT>& areas);
// The same against the work areas of the monitors attached now.
BOOL MoveRectOntoMonitor(RECT* rect);
