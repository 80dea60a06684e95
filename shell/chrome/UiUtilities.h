// Small helpers over the child controls of a dialog, and placing a window at the mouse.
#pragma once
#include "Framework.h"

// Enables or disables every child window whose window rectangle lies wholly inside the screen
// rectangle (grown by one pixel on each side); an empty rectangle means the window's own.
// EnableChildrenInRect and ShowChildrenInRect leave the standard dialog buttons (ids 1 to 9)
// alone; EnableChildrenInRectAlt includes them.
void EnableChildrenInRect(CWnd* window, BOOL enable, int left, int top, int right, int bottom);
void EnableChildrenInRectAlt(CWnd* window, BOOL enable, int left, int top, int right, int bottom);
void ShowChildrenInRect(CWnd* window, BOOL show, int left, int top, int right, int bottom);

// Puts the window's top-left corner at the cursor, kept inside the work area.
void MoveWindowNearCursor(CWnd* window);
// Where MoveWindowNearCursor puts a window of this size for this cursor and work area: pushed
// left and up to end at the right and bottom edges, then right and down to start inside.
POINT PlaceWindowNear(POINT cursor, SIZE window, const RECT& workArea);
