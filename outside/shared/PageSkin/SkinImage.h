// Skin images of the equaliser pages, kept as RCDATA (PNG or BMP) in the resource module
// KvSEEfRc beside the program, decoded by GDI+.
//
//   GdiplusUser m_gdiplus;                         // member of every skin object, first
//   std::unique_ptr<Gdiplus::Bitmap> img = LoadSkinImage(kSkinThumbV);   // null when absent
#pragma once
#include "GdiplusInclude.h"
#include "GdiplusSession.h"

#include <memory>

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

// The image of the id from the resource module, or null when the module, the resource or
// the decoding fails. Needs a live GdiplusUser.
std::unique_ptr<Gdiplus::Bitmap> LoadSkinImage(int id);
// True when the resource module can be loaded.
bool SkinModuleAvailable();
// Where the resource module is loaded from: by default its name, searched for as modules are.
// Tests point it at a module of their own; null or empty puts back the default.
void SetSkinModulePath(const wchar_t* path);

// Size of an image in pixels (0, 0 for null).
SIZE ImageSize(Gdiplus::Bitmap* image);
// Draws the image tiled over the rectangle (nothing for null).
void TileImage(HDC dc, Gdiplus::Bitmap* image, const RECT& area);
// Draws the image stretched over, or at its own size at, the rectangle.
void DrawImage(HDC dc, Gdiplus::Bitmap* image, const RECT& area);

} // namespace geq
