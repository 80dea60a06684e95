// A picture of the whole screen as "<name>.bmp" in the folder KV_SHOT_DIR names; nothing when
// it is not set. The scripts that run a test under a virtual display turn the pictures into PNGs.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kvtest {

// A 32-bit top-down bitmap's header: row 0 at the top, one DWORD per pixel.
inline BITMAPINFO TopDownInfo32(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

inline void Shot(const char* name)
{
    const char* folder = std::getenv("KV_SHOT_DIR");
    if (!folder || !*folder)
        return;
    HDC screen = GetDC(nullptr);
    const int w = GetDeviceCaps(screen, HORZRES), h = GetDeviceCaps(screen, VERTRES);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD bytes = DWORD(((w * 3 + 3) & ~3) * h);
    BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + bytes), 0, 0,
                          DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    if (FILE* f = std::fopen((std::string(folder) + "\\" + name + ".bmp").c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, f);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
        std::fwrite(bits, 1, bytes, f);
        std::fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

} // namespace kvtest
