// KvOpenMenu <position>: opens the top-level menu at that position of the running program's
// menu bar with a mouse click on its title, as a user would (for screenshots).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Send(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
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
    // A menu left open by the last call closes first.
    SendMessageA(frame, WM_CANCELMODE, 0, 0);
    Sleep(300);
    RECT item = {};
    if (!GetMenuItemRect(frame, GetMenu(frame), UINT(position), &item)) {
        fprintf(stderr, "no menu at %d\n", position);
        return 1;
    }
    SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    Sleep(100);
    Send(MOUSEEVENTF_LEFTDOWN);
    Sleep(50);
    Send(MOUSEEVENTF_LEFTUP);
    return 0;
}
