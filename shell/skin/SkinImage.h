// SkinImage: one skin picture loaded from a file through GDI+ and drawn pixel-exact.
//
//   GdiplusSession gdiplus;                      // the application (or a test) keeps GDI+ started
//   SkinImage image("C:\\app\\images\\frame");   // "frame.png" if it exists, else "frame.bmp"
//   image.DrawTiled(&dc, 0, 0, 200, 24);
//
// A missing or unreadable file leaves the image empty: it draws nothing, its size is (0, 0)
// and cloning gives null. Every draw does nothing for a null DC. Units are pixels; the part
// draws copy unscaled, so a skin can be cut into pieces at exact coordinates.
#pragma once
#include "Framework.h"
#include "GdiplusSession.h"

#include <memory>

namespace Gdiplus {
class Bitmap;
}

class SkinImage {
public:
    SkinImage() = default;
    // Loads name + ".png", or name + ".bmp" when there is no PNG (LoadFile).
    explicit SkinImage(const char* nameWithoutExtension);
    virtual ~SkinImage();
    SkinImage(const SkinImage&) = delete;
    SkinImage& operator=(const SkinImage&) = delete;

    // Replaces the image; false when neither file exists or GDI+ cannot read the found one.
    bool LoadFile(const char* nameWithoutExtension);
    // The file LoadFile would read: name + ".png" when it exists, else name + ".bmp" when
    // that exists, else empty.
    static CString FindFile(const char* nameWithoutExtension);

    bool IsLoaded() const { return m_bitmap != nullptr; }
    CSize GetSize() const;

    // The whole image at its own size with its top-left corner at (x, y).
    void Draw(CDC* dc, int x, int y) const;
    // The piece of the rectangle's size starting at (sourceX, sourceY), copied unscaled.
    void DrawPart(CDC* dc, int left, int top, int right, int bottom, int sourceX, int sourceY) const;
    void DrawPart(CDC* dc, const RECT& dst, int sourceX, int sourceY) const
    {
        DrawPart(dc, dst.left, dst.top, dst.right, dst.bottom, sourceX, sourceY);
    }
    // The same with the target given by origin and size.
    void DrawPiece(CDC* dc, int x, int y, int sourceX, int sourceY, int width, int height) const;
    // The whole image scaled into the rectangle.
    void DrawScaled(CDC* dc, int left, int top, int right, int bottom) const;
    void DrawScaled(CDC* dc, const RECT& dst) const { DrawScaled(dc, dst.left, dst.top, dst.right, dst.bottom); }
    // Repeats the image from the rectangle's top-left corner; the last column and row are cut
    // (the part from the image's top-left corner), never scaled.
    void DrawTiled(CDC* dc, int left, int top, int right, int bottom) const;
    void DrawTiled(CDC* dc, const RECT& area) const { DrawTiled(dc, area.left, area.top, area.right, area.bottom); }

    // A copy of the rectangle (right and bottom exclusive) as a new image; null without an
    // image, for an empty or negative size, or when GDI+ fails.
    std::unique_ptr<SkinImage> CloneArea(int left, int top, int right, int bottom) const;
    // A new GDI bitmap of the image on the background colour (0xAARRGGBB, as GDI+ takes it);
    // null without an image. The caller deletes it.
    HBITMAP CreateHBitmap(DWORD argbBackground = 0xFF000000) const;

    Gdiplus::Bitmap* GetBitmap() const { return m_bitmap.get(); }

private:
    void SetBitmap(std::unique_ptr<Gdiplus::Bitmap> bitmap);
    // Copies the piece with BitBlt when the image has no transparent pixel and the piece lies
    // inside it: GDI+ sets up a graphics object for every draw, too slow for timer ticks.
    bool BlitOpaque(HDC dc, int x, int y, int sourceX, int sourceY, int width, int height) const;

    std::unique_ptr<Gdiplus::Bitmap> m_bitmap;
    HBITMAP m_opaque = nullptr; // the same pixels as a GDI bitmap; null when any is transparent
};

// Width and height of a GDI bitmap; (0, 0) for none.
CSize GetBitmapSize(HBITMAP bitmap);

// The folder of the skin images: the program file's folder with "..\images\" appended and
// resolved, with a trailing backslash.
CString GetImagesFolder();
