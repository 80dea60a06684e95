// A window of its own device context for drawing tests of the video sources, and the frame a
// source draws into it (a pixel of the grey clips tells the frame).
#pragma once
#include "VideoFixtures.h"
#include "VideoSource.h"

#include <windows.h>

// A window of its own device context, as the preview window is.
class DrawWindow {
public:
    DrawWindow()
    {
        WNDCLASSA wc{};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvVideoTestWindow";
        RegisterClassA(&wc);
        m_window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                   wc.hInstance, nullptr);
        m_dc = GetDC(m_window);
    }
    ~DrawWindow()
    {
        ReleaseDC(m_window, m_dc);
        DestroyWindow(m_window);
    }
    HWND Window() const { return m_window; }
    HDC Dc() const { return m_dc; }
    void Clear(COLORREF color)
    {
        HBRUSH b = CreateSolidBrush(color);
        RECT r{0, 0, 400, 300};
        FillRect(m_dc, &r, b);
        DeleteObject(b);
    }
    // The grey level at a point once something other than the cleared colour is there.
    int GreyAt(int x, int y, COLORREF cleared, DWORD waitMs)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            // The renderer draws on the same context from its thread: a read beside it fails.
            const COLORREF c = GetPixel(m_dc, x, y);
            if ((c != cleared && c != CLR_INVALID) || GetTickCount() - start > waitMs)
                return GetGValue(c);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(10);
        }
    }

private:
    HWND m_window = nullptr;
    HDC m_dc = nullptr;
};

inline constexpr COLORREF kCleared = RGB(255, 0, 255);

inline int DrawnFrame(CVideoSource& source, DrawWindow& w, int frame)
{
    w.Clear(kCleared);
    source.DrawFrame(w.Dc(), 10, 10, 160, 120, frame, 1);
    return FrameOfGrey(w.GreyAt(90, 70, kCleared, 5000));
}
