#include "SkinImage.h"

#include "ChromeGdiplus.h"

#include <shlwapi.h>

namespace {

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A GDI+ drawing surface over the DC for one call, copying pixels as they are.
class PixelGraphics {
public:
    explicit PixelGraphics(HDC dc) : m_graphics(dc)
    {
        m_graphics.SetPageUnit(Gdiplus::UnitPixel);
        m_graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    }
    Gdiplus::Graphics* operator->() { return &m_graphics; }

private:
    Gdiplus::Graphics m_graphics;
};

} // namespace

SkinImage::SkinImage(const char* nameWithoutExtension)
{
    LoadFile(nameWithoutExtension);
}

SkinImage::~SkinImage()
{
    SetBitmap(nullptr);
}

namespace {

bool HasTransparency(Gdiplus::Bitmap& bitmap)
{
    if (!Gdiplus::IsAlphaPixelFormat(bitmap.GetPixelFormat()))
        return false;
    Gdiplus::Rect all(0, 0, int(bitmap.GetWidth()), int(bitmap.GetHeight()));
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return true;
    bool transparent = false;
    for (UINT y = 0; y < data.Height && !transparent; ++y) {
        const auto* row = static_cast<const BYTE*>(data.Scan0) + INT_PTR(y) * data.Stride;
        for (UINT x = 0; x < data.Width; ++x)
            if (row[4 * x + 3] != 0xFF) {
                transparent = true;
                break;
            }
    }
    bitmap.UnlockBits(&data);
    return transparent;
}

} // namespace

void SkinImage::SetBitmap(std::unique_ptr<Gdiplus::Bitmap> bitmap)
{
    if (m_opaque)
        ::DeleteObject(m_opaque);
    m_opaque = nullptr;
    m_bitmap = std::move(bitmap);
    if (m_bitmap && !HasTransparency(*m_bitmap))
        m_opaque = CreateHBitmap();
}

bool SkinImage::BlitOpaque(HDC dc, int x, int y, int sourceX, int sourceY, int width, int height) const
{
    if (!m_opaque || sourceX < 0 || sourceY < 0 || sourceX + width > int(m_bitmap->GetWidth()) ||
        sourceY + height > int(m_bitmap->GetHeight()))
        return false;
    HDC source = ::CreateCompatibleDC(dc);
    if (!source)
        return false;
    HGDIOBJ old = ::SelectObject(source, m_opaque);
    const BOOL done = ::BitBlt(dc, x, y, width, height, source, sourceX, sourceY, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
    return done != FALSE;
}

CString SkinImage::FindFile(const char* nameWithoutExtension)
{
    const std::string name = nameWithoutExtension ? nameWithoutExtension : "";
    if (name.empty())
        return CString();
    if (FileExists(name + ".png"))
        return CString(name + ".png");
    if (FileExists(name + ".bmp"))
        return CString(name + ".bmp");
    return CString();
}

bool SkinImage::LoadFile(const char* nameWithoutExtension)
{
    SetBitmap(nullptr);
    const CString file = FindFile(nameWithoutExtension);
    if (file.IsEmpty())
        return false;
    wchar_t wide[MAX_PATH + 1] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, file, -1, wide, MAX_PATH))
        return false;
    // GDI+'s own operator new gives null on failure.
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(wide));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return false;
    SetBitmap(std::move(bitmap));
    return true;
}

CSize SkinImage::GetSize() const
{
    if (!m_bitmap)
        return CSize(0, 0);
    return CSize(int(m_bitmap->GetWidth()), int(m_bitmap->GetHeight()));
}

void SkinImage::Draw(CDC* dc, int x, int y) const
{
    const CSize size = GetSize();
    DrawPiece(dc, x, y, 0, 0, size.cx, size.cy);
}

void SkinImage::DrawPart(CDC* dc, int left, int top, int right, int bottom, int sourceX, int sourceY) const
{
    DrawPiece(dc, left, top, sourceX, sourceY, right - left, bottom - top);
}

void SkinImage::DrawPiece(CDC* dc, int x, int y, int sourceX, int sourceY, int width, int height) const
{
    if (!dc || !dc->m_hDC || !m_bitmap || width <= 0 || height <= 0)
        return;
    if (BlitOpaque(dc->m_hDC, x, y, sourceX, sourceY, width, height))
        return;
    PixelGraphics g(dc->m_hDC);
    g->DrawImage(m_bitmap.get(), Gdiplus::Rect(x, y, width, height), sourceX, sourceY, width, height,
                 Gdiplus::UnitPixel);
}

void SkinImage::DrawScaled(CDC* dc, int left, int top, int right, int bottom) const
{
    if (!dc || !dc->m_hDC || !m_bitmap)
        return;
    const CSize size = GetSize();
    PixelGraphics g(dc->m_hDC);
    // Whole-pixel sampling at the edges: no half-transparent seam where tiles or bands meet.
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    g->DrawImage(m_bitmap.get(), Gdiplus::Rect(left, top, right - left, bottom - top), 0, 0, size.cx, size.cy,
                 Gdiplus::UnitPixel, &attributes);
}

void SkinImage::DrawTiled(CDC* dc, int left, int top, int right, int bottom) const
{
    if (!dc || !dc->m_hDC || !m_bitmap)
        return;
    const CSize size = GetSize();
    const int width = right - left, height = bottom - top;
    if (width < 1 || height < 1 || size.cx < 1 || size.cy < 1)
        return;
    if (HDC source = m_opaque ? ::CreateCompatibleDC(dc->m_hDC) : nullptr) {
        HGDIOBJ old = ::SelectObject(source, m_opaque);
        for (int x = left; x < right; x += size.cx)
            for (int y = top; y < bottom; y += size.cy)
                ::BitBlt(dc->m_hDC, x, y, std::min<int>(size.cx, right - x), std::min<int>(size.cy, bottom - y),
                         source, 0, 0, SRCCOPY);
        ::SelectObject(source, old);
        ::DeleteDC(source);
        return;
    }
    PixelGraphics g(dc->m_hDC);
    for (int x = left; x < right; x += size.cx) {
        const int w = std::min<int>(size.cx, right - x);
        for (int y = top; y < bottom; y += size.cy) {
            const int h = std::min<int>(size.cy, bottom - y);
            g->DrawImage(m_bitmap.get(), Gdiplus::Rect(x, y, w, h), 0, 0, w, h, Gdiplus::UnitPixel);
        }
    }
}

std::unique_ptr<SkinImage> SkinImage::CloneArea(int left, int top, int right, int bottom) const
{
    if (!m_bitmap || right - left <= 0 || bottom - top <= 0)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> clone(
        m_bitmap->Clone(Gdiplus::Rect(left, top, right - left, bottom - top), m_bitmap->GetPixelFormat()));
    if (!clone || clone->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    auto image = std::make_unique<SkinImage>();
    image->SetBitmap(std::move(clone));
    return image;
}

HBITMAP SkinImage::CreateHBitmap(DWORD argbBackground) const
{
    if (!m_bitmap)
        return nullptr;
    HBITMAP bitmap = nullptr;
    if (m_bitmap->GetHBITMAP(Gdiplus::Color(argbBackground), &bitmap) != Gdiplus::Ok)
        return nullptr;
    return bitmap;
}

CSize GetBitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return CSize(0, 0);
    return CSize(info.bmWidth, info.bmHeight);
}

CString GetImagesFolder()
{
    char module[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    PathRemoveFileSpecA(module);
    char folder[MAX_PATH + 1] = {};
    std::string joined = std::string(module) + "\\..\\images\\";
    if (!PathCanonicalizeA(folder, joined.c_str()))
        return CString(joined);
    std::string result = folder;
    if (result.empty() || result.back() != '\\')
        result += '\\';
    return CString(result);
}
