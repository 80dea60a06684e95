// The owner-drawn push buttons of the skinned effect dialogs: the ground under the button (the
// dialog's own), the skin image of its state tiled over it, its text centred on one line in
// the skin's text colour (greyed when disabled), the focus rectangle; and the default button
// following the focus (the focused button; without focus OK when enabled, else Cancel).
#pragma once
#include <windows.h>

#include <functional>

struct SkinButtonImages {
    int normal, pressed, disabled;
};

// fillGround paints the ground of the button's rectangle in its device context.
void DrawSkinButton(HWND dialog, const DRAWITEMSTRUCT& item, const SkinButtonImages& images,
                    const std::function<void(HDC, const RECT&)>& fillGround);
