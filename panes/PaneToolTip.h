// The native tool tip control of a pane: created for its owner and told one tool at a time.
// The owner relays its mouse messages to the tip (TTM_RELAYEVENT, from PreTranslateMessage):
// a tip that subclassed the owner would cost the owner a round trip to the window server for
// its subclass record on every message it gets.
#pragma once
#include <windows.h>

// An active tool tip control owned by owner; null when it cannot be made.
HWND CreatePaneToolTip(HWND owner);
// Adds (or replaces) tool id of owner over rect with the text.
void SetPaneTool(HWND tip, HWND owner, UINT_PTR id, const RECT& rect, const char* text);
void RemovePaneTool(HWND tip, HWND owner, UINT_PTR id);
