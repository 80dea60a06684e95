// Shared pieces of the window-chrome tests: a message pump that runs PreTranslateMessage as the
// program's loop does, a caption image whose every part has its own colours, and input helpers
// that post mouse messages as the system would.
#pragma once
#include "SkinFixture.h"

#include <string>

namespace chrometest {

// Dispatches every queued message; the target window and its parents pre-translate it first.
inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        bool eaten = false;
        for (HWND h = msg.hwnd; h && !eaten; h = GetParent(h))
            if (CWnd* wnd = CWnd::FromHandlePermanent(h))
                eaten = wnd->PreTranslateMessage(&msg) != FALSE;
        if (!eaten) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Colours of the test caption image ("frame": 98 x 77, parts cut at fixed rectangles).
const COLORREF kTopLeft = RGB(255, 0, 0);
const COLORREF kTopRight = RGB(0, 255, 0);
const COLORREF kBottomRight = RGB(0, 0, 255);
const COLORREF kBottomLeft = RGB(255, 255, 0);
const COLORREF kBandFirstColumn = RGB(255, 0, 255); // first column of the caption band tile
const COLORREF kBand = RGB(0, 255, 255);
const COLORREF kRightEdge = RGB(0, 128, 0);
const COLORREF kBottomEdge = RGB(0, 0, 128);
const COLORREF kLeftEdgeFirstRow = RGB(255, 128, 0);
const COLORREF kLeftEdge = RGB(128, 0, 0);
const COLORREF kButtonNormal = RGB(10, 20, 30);
const COLORREF kButtonHot = RGB(200, 100, 50);
const COLORREF kBackground = RGB(128, 128, 128);

inline COLORREF CaptionPixel(int x, int y)
{
    auto in = [&](int l, int t, int r, int b) { return x >= l && x <= r && y >= t && y <= b; };
    if (in(0, 0, 3, 23))
        return kTopLeft;
    if (in(57, 0, 60, 23))
        return kTopRight;
    if (in(57, 57, 60, 60))
        return kBottomRight;
    if (in(0, 57, 3, 60))
        return kBottomLeft;
    if (in(10, 0, 20, 23))
        return x == 10 ? kBandFirstColumn : kBand;
    if (in(57, 25, 60, 49))
        return kRightEdge;
    if (in(10, 57, 20, 60))
        return kBottomEdge;
    if (in(0, 25, 3, 50))
        return y == 25 ? kLeftEdgeFirstRow : kLeftEdge;
    // Buttons: 28 pixels wide, the normal half left, the highlighted half right.
    if (in(70, 5, 97, 65) || in(1, 64, 28, 76) || in(32, 64, 59, 76)) {
        int left = x >= 70 ? 70 : x >= 32 ? 32 : 1;
        return x - left < 14 ? kButtonNormal : kButtonHot;
    }
    return kBackground;
}

// Writes the test caption image as <folder>frame.bmp and returns the path without extension.
inline std::string WriteCaptionImage(const kvtest::ScratchFolder& folder)
{
    std::string path = folder.File("frame");
    skintest::SaveImage(path + ".bmp", 98, 77, CaptionPixel);
    return path;
}

inline LPARAM ScreenParam(POINT p)
{
    return MAKELPARAM((short)p.x, (short)p.y);
}

inline LPARAM ClientParam(HWND hwnd, POINT screen)
{
    ScreenToClient(hwnd, &screen);
    return MAKELPARAM((short)screen.x, (short)screen.y);
}

// The real cursor goes where the posted message says the mouse is: the system sends a window
// that holds the mouse moves of its own at the real cursor (Wine does when a window moves or
// sizes under it), and a busy machine lets them arrive between the posted ones.
inline void PlaceCursor(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
}

// A press on the non-client area as the system delivers it: hit test, then the posted press.
inline LRESULT PressNonClient(HWND hwnd, POINT screen)
{
    PlaceCursor(screen);
    LRESULT hit = SendMessageA(hwnd, WM_NCHITTEST, 0, ScreenParam(screen));
    PostMessageA(hwnd, WM_NCLBUTTONDOWN, (WPARAM)hit, ScreenParam(screen));
    Pump();
    return hit;
}

// While the window holds the mouse, moves and the release arrive in its client coordinates.
inline void MoveCaptured(HWND hwnd, POINT screen)
{
    PlaceCursor(screen);
    PostMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(hwnd, screen));
    Pump();
}

inline void ReleaseCaptured(HWND hwnd, POINT screen)
{
    PlaceCursor(screen);
    PostMessageA(hwnd, WM_LBUTTONUP, 0, ClientParam(hwnd, screen));
    Pump();
}

inline RECT WindowRect(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

} // namespace chrometest
