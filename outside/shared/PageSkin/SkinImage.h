// SkinImage: one skin picture decoded by GDI+ and drawn pixel-exact, loaded from a file (the
// program's skin) or from the resource module KvSEEfRc (the effect pages' skin).
//
//   GdiplusSession gdiplus;                      // the application (or a test) keeps GDI+ started
//   SkinImage image("C:\\app\\images\\frame");   // "frame.png" if it exists, else "frame.bmp"
//   image.DrawTiled(&dc, 0, 0, 200, 24);
//   SkinImage thumb;
//   thumb.LoadResource(geq::kSkinThumbV);        // false when the module or the image is absent
//
// A missing or unreadable image leaves it empty: it draws nothing, its size is (0, 0) and
// cloning gives null. SetFile only names the file: it is decoded on first use, so images
// nothing shows cost no start-up time. Plain 8-bit RGB and RGBA PNGs (what skins are made of)
// are decoded by SkinPng, without GDI+'s codec lookup, which under Wine costs dozens of server
// round trips an image; GDI+ decodes every other file. Every draw does nothing for a null DC.
// Units are pixels; the part draws copy unscaled, so a skin can be cut into pieces at exact
// coordinates.
#pragma once
#include "FwDC.h"
#include "FwString.h"
#include "FwTypes.h"
#include "GdiplusSession.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Gdiplus {
class Bitmap;
}

class SkinImage {
public:
    SkinImage();
    // Loads name + ".png", or name + ".bmp" when there is no PNG (LoadFile).
    explicit SkinImage(const char* nameWithoutExtension);
    virtual ~SkinImage();
    SkinImage(const SkinImage&) = delete;
    SkinImage& operator=(const SkinImage&) = delete;

    // Replaces the image; false when neither file exists or GDI+ cannot read the found one.
    bool LoadFile(const char* nameWithoutExtension);
    // Replaces the image by the file LoadFile would read, decoded on first use (on the thread
    // that draws); false when neither file exists. A size asked before any draw comes from the
    // file's PNG or BMP header without decoding; a file that then fails to decode draws nothing
    // and has size (0, 0) from then on.
    bool SetFile(const char* nameWithoutExtension);
    // The file LoadFile would read: name + ".png" when it exists, else name + ".bmp" when
    // that exists, else empty.
    static CString FindFile(const char* nameWithoutExtension);
    // Replaces the image with the RCDATA resource id (PNG or BMP) of the skin resource module
    // (geq::SetSkinModulePath); false when GDI+ is not started or the module, the resource or
    // its decoding fails.
    bool LoadResource(int id);

    bool IsLoaded() const { return Decoded() != nullptr; }
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

    Gdiplus::Bitmap* GetBitmap() const { return Decoded(); }

private:
    Gdiplus::Bitmap* Decoded() const;
    // Takes the decoded pixels (or none), keeping a GDI copy of them when none is transparent
    // (1: some pixel is, 0: none is, -1: not known yet, looked at here).
    void Adopt(std::unique_ptr<Gdiplus::Bitmap> bitmap, int transparent = -1) const;
    // Copies the piece with BitBlt when the image has no transparent pixel and the piece lies
    // inside it: GDI+ sets up a graphics object for every draw, too slow for timer ticks.
    bool BlitOpaque(HDC dc, int x, int y, int sourceX, int sourceY, int width, int height) const;

    mutable std::unique_ptr<Gdiplus::Bitmap> m_bitmap;
    mutable HBITMAP m_opaque = nullptr; // the same pixels as a GDI bitmap; null when any is transparent
    // The file still to decode; empty once decoded or tried.
    mutable CString m_pending;
    mutable CSize m_headerSize{0, 0};
    // The pending PNG's bytes, once its size has been asked.
    mutable std::vector<uint8_t> m_pendingBytes;
};

// Width and height of a GDI bitmap; (0, 0) for none.
CSize GetBitmapSize(HBITMAP bitmap);

// The folder of the program's skin images: the program file's folder with "..\images\"
// appended and resolved, with a trailing backslash.
CString GetImagesFolder();

// The effect pages' images in the resource module KvSEEfRc beside the program.
namespace geq {

enum SkinImageId {
    kSkinBackgroundTop = 1,
    kSkinBackgroundBottom = 2,
    kSkinButton = 3,
    kSkinButtonPressed = 4,
    kSkinTrackH = 5,
    kSkinTrackV = 6,
    kSkinThumbH = 7,
    kSkinThumbV = 8,
    kSkinThumbHDisabled = 9,
    kSkinThumbVDisabled = 10,
};

// Name of the resource module, without ".dll".
constexpr const wchar_t* kSkinModuleName = L"KvSEEfRc";

// Keeps GDI+ started while any skin object lives: the one session the program's skin uses too.
using GdiplusUser = ::GdiplusSession;

// True when the resource module can be loaded.
bool SkinModuleAvailable();
// Where the resource module is loaded from: by default its name, searched for as modules are.
// Tests point it at a module of their own; null or empty puts back the default.
void SetSkinModulePath(const wchar_t* path);

} // namespace geq
