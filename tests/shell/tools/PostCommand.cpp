// KvPostCommand <command id> [times]: posts a menu command to the running program's main frame,
// as choosing the menu item would (the screenshot script opens documents with it).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: KvPostCommand <command id> [times]\n");
        return 2;
    }
    const WPARAM command = static_cast<WPARAM>(strtoul(argv[1], nullptr, 0));
    const int times = argc > 2 ? atoi(argv[2]) : 1;
    HWND frame = nullptr;
    for (int i = 0; i < 200 && !frame; ++i) {
        frame = FindWindowA("KorvaneSound FrameWnd", nullptr);
        if (!frame || !IsWindowVisible(frame)) {
            frame = nullptr;
            Sleep(50);
        }
    }
    if (!frame) {
        fprintf(stderr, "no main frame\n");
        return 1;
    }
    for (int i = 0; i < times; ++i)
        PostMessageA(frame, WM_COMMAND, command, 0);
    return 0;
}
