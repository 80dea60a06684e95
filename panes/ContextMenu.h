// The context menus of the panes and tool windows.
#pragma once
#include "Framework.h"

// Shows the first popup of menu resource menuId at the screen point (from the menu key, whose
// point is (-1, -1): at client point (4, 4)); commands go to the first ancestor that is not a
// child window.
void TrackContextMenu(CWnd* wnd, UINT menuId, CPoint point);
