// KvOpenMenu <position>: opens the top-level menu at that position of the running program's
// menu bar with the keyboard (Alt, then Right, then Down), as a user would (for screenshots).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Press(WORD key)
{
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    Sleep(150);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: KvOpenMenu <position>\n");
        return 2;
    }
    const int position = atoi(argv[1]);
    HWND frame = FindWindowA("KorvaneSound FrameWnd", nullptr);
    if (!frame) {
        fprintf(stderr, "no main frame\n");
        return 1;
    }
    SetForegroundWindow(frame);
    Sleep(300);
    // A menu left open by the last call closes first.
    Press(VK_ESCAPE);
    Press(VK_ESCAPE);
    Press(VK_ESCAPE);
    Press(VK_MENU);
    for (int i = 0; i < position; ++i)
        Press(VK_RIGHT);
    Press(VK_DOWN);
    return 0;
}
