// KvOpenMenu <letter>: opens the top-level menu of the running program's menu bar whose
// underlined letter it is, by typing Alt and the letter as a user would (for screenshots).
#include <windows.h>

#include <cctype>
#include <cstdio>

namespace {

void Key(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(INPUT));
    Sleep(200);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: KvOpenMenu <letter>\n");
        return 2;
    }
    HWND frame = FindWindowA("KorvaneSound FrameWnd", nullptr);
    if (!frame) {
        fprintf(stderr, "no main frame\n");
        return 1;
    }
    SetForegroundWindow(frame);
    // A menu left open by the last call closes first.
    Key(VK_ESCAPE, false);
    Key(VK_ESCAPE, true);
    Key(VK_ESCAPE, false);
    Key(VK_ESCAPE, true);
    Key(VK_MENU, false);
    const WORD letter = WORD(toupper(static_cast<unsigned char>(argv[1][0])));
    Key(letter, false);
    Key(letter, true);
    Key(VK_MENU, true);
    return 0;
}
