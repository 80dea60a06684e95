// The native tool tip control of a pane: created for its owner and told one tool at a time.
#pragma once
#include <windows.h>

// An active tool tip control owned by owner; null when it cannot be made.
HWND CreatePaneToolTip(HWND owner);
// Adds (or replaces) tool id of owner over rect with the text.
void SetPaneTool(HWND tip, HWND owner, UINT_PTR id, const RECT& rect, const char* text);
void RemovePaneTool(HWND tip, HWND owner, UINT_PTR id);
