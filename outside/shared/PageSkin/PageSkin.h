// The skin shared by the equaliser's page windows: a background tiled from skin images 1 and 2
// over light grey, transparent control colours on it, and owner-drawn buttons from images 3
// and 4. Every page passes each of its messages through PageSkinProc first; it answers the
// control-colour messages with the background brush and returns 0 for all others, so the
// page's own handling always follows. The skin objects live while any page window does.
//
// When the resource module cannot be loaded the first page window says so once per process,
// in a warning box owned by the page.
#pragma once
#include <windows.h>

#include <functional>

namespace geq {

INT_PTR PageSkinProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);

// Live page windows (for tests).
int PageSkinWindowCount();

// Every box the skin shows ends here. A hook installed by tests answers instead of the user (it
// gets the owner, text, caption and type and returns the button id); null removes it.
using PageSkinMessageBoxHook = std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)>;
void SetPageSkinMessageBoxHook(PageSkinMessageBoxHook hook);

} // namespace geq
