// Mouse and keys as a user gives them: SendInput into the system's input queue, so that the
// window under the pointer gets them with everything the system adds (hit tests, capture,
// double clicks, focus). Positions are screen pixels.
#pragma once
#include <windows.h>

#include <initializer_list>

namespace kvtest {

inline INPUT MouseInput(POINT at, DWORD flags)
{
    const int w = ::GetSystemMetrics(SM_CXSCREEN) - 1, h = ::GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Rounded up so that the scaled-back pixel is the one asked for.
    input.mi.dx = (at.x * 65535 + w - 1) / w;
    input.mi.dy = (at.y * 65535 + h - 1) / h;
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}

inline void MouseMove(POINT at)
{
    INPUT input = MouseInput(at, MOUSEEVENTF_MOVE);
    ::SendInput(1, &input, sizeof input);
}

inline void MouseDown(POINT at)
{
    INPUT input[2] = {MouseInput(at, MOUSEEVENTF_MOVE), MouseInput(at, MOUSEEVENTF_LEFTDOWN)};
    ::SendInput(2, input, sizeof input[0]);
}

inline void MouseUp(POINT at)
{
    INPUT input[2] = {MouseInput(at, MOUSEEVENTF_MOVE), MouseInput(at, MOUSEEVENTF_LEFTUP)};
    ::SendInput(2, input, sizeof input[0]);
}

inline void Click(POINT at)
{
    INPUT input[3] = {MouseInput(at, MOUSEEVENTF_MOVE), MouseInput(at, MOUSEEVENTF_LEFTDOWN),
                      MouseInput(at, MOUSEEVENTF_LEFTUP)};
    ::SendInput(3, input, sizeof input[0]);
}

// A key pressed and released (virtual key codes; letters as 'A'..'Z').
inline void PressKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof input[0]);
}

// The client point of a window on the screen.
inline POINT ScreenPoint(HWND window, int x, int y)
{
    POINT at{x, y};
    ::ClientToScreen(window, &at);
    return at;
}

} // namespace kvtest
