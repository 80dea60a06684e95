// Entry of the program: registers the main frame's window class, shows the frame and
// runs the message loop until the frame is closed.
#include <windows.h>
#include "resource.h"

namespace {

const char kMainFrameClass[] = "KorvaneSound FrameWnd";

LRESULT CALLBACK MainFrameProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wp, lp);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainFrameProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kMainFrameClass;
    if (!RegisterClassExA(&wc))
        return 1;

    char title[128] = "KorvaneSound5 Tarn";
    LoadStringA(inst, IDR_MAINFRAME, title, sizeof title);
    HWND frame = CreateWindowExA(0, kMainFrameClass, title, WS_OVERLAPPEDWINDOW,
                                 CW_USEDEFAULT, CW_USEDEFAULT, 900, 600,
                                 nullptr, nullptr, inst, nullptr);
    if (!frame)
        return 1;
    ShowWindow(frame, show);
    UpdateWindow(frame);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
