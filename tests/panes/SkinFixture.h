// Test helpers for skinned drawing: a white memory bitmap to draw into and read back, image
// files written through GDI+, and a folder holding every file the skin table loads.
#pragma once
#include "SkinImage.h"
#include "SkinTables.h"
#include "ScreenShot.h"
#include "TestSupport.h"

#include "GdiplusInclude.h"

#include <functional>
#include <string>

namespace skintest {

// A 32-bit memory bitmap selected into a DC, filled white.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info = kvtest::TopDownInfo32(width, height);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_dc.CreateCompatibleDC(nullptr);
        m_previous = m_dc.SelectObject(m_bitmap);
        Fill(RGB(255, 255, 255));
    }
    ~Canvas()
    {
        m_dc.SelectObject(m_previous);
        DeleteObject(m_bitmap);
    }
    CDC* dc() { return &m_dc; }
    void Fill(COLORREF color) { m_dc.FillSolidRect(CRect(0, 0, m_width, m_height), color); }
    COLORREF At(int x, int y)
    {
        GdiFlush();
        return GetPixel(m_dc, x, y);
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // True when every pixel is the colour.
    bool AllAre(COLORREF color)
    {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (At(x, y) != color)
                    return false;
        return true;
    }

private:
    int m_width, m_height;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    CDC m_dc;
};

inline bool SaveImage(const std::string& path, int width, int height, const std::function<COLORREF(int, int)>& pixel)
{
    // Encoder class ids of GDI+'s built-in PNG and BMP codecs.
    static const CLSID kPng = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    static const CLSID kBmp = {0x557cf400, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixel(x, y);
            bitmap.SetPixel(x, y, Gdiplus::Color(255, GetRValue(c), GetGValue(c), GetBValue(c)));
        }
    const bool png = path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
    std::wstring wide(path.begin(), path.end());
    return bitmap.Save(wide.c_str(), png ? &kPng : &kBmp, nullptr) == Gdiplus::Ok;
}

inline bool SaveSolid(const std::string& path, int width, int height, COLORREF color)
{
    return SaveImage(path, width, height, [color](int, int) { return color; });
}

// Every file the image table loads (the 115 distinct names and the two tab headers), as small
// solid BMP files in a scratch folder; a test then replaces or deletes single files.
class SkinFolder {
public:
    SkinFolder()
    {
        for (int id = 0; id < kSkinImageCount; ++id)
            SaveSolid(Path(SkinImageName(id)) + ".bmp", 4, 4, RGB(id, 0, 0));
        SaveSolid(Path("el_kv5tab") + ".bmp", 4, 4, RGB(1, 2, 3));
        SaveSolid(Path("el_kv5tab02") + ".bmp", 4, 4, RGB(1, 2, 3));
    }
    std::string Path(const std::string& name) const { return m_folder.File(name); }
    const std::string& Folder() const { return m_folder.Path(); }
    void Remove(const std::string& name) { DeleteFileA((Path(name) + ".bmp").c_str()); }

private:
    kvtest::ScratchFolder m_folder;
};

} // namespace skintest
