// The skin shared by the equaliser's page windows: a background tiled from skin images 1 and 2
// over light grey, transparent control colours on it, and owner-drawn buttons from images 3
// and 4. Every page passes each of its messages through PageSkinProc first; it answers the
// control-colour messages with the background brush and returns 0 for all others, so the
// page's own handling always follows. The skin objects live while any page window does.
#pragma once
#include <windows.h>

namespace geq {

INT_PTR PageSkinProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);

// Live page windows (for tests).
int PageSkinWindowCount();

} // namespace geq
