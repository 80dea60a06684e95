#include "SkinImage.h"

#include "ComRef.h"
#include "GdiplusInclude.h"
#include "SkinPng.h"

#include <shlwapi.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole file; false when it cannot be read or is larger than any skin picture.
bool ReadWholeFile(const char* file, std::vector<uint8_t>* bytes)
{
    HANDLE handle = ::CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    constexpr LONGLONG kLargest = 64 << 20;
    bool read = ::GetFileSizeEx(handle, &size) && size.QuadPart > 0 && size.QuadPart <= kLargest;
    if (read) {
        bytes->resize(size_t(size.QuadPart));
        DWORD got = 0;
        read = ::ReadFile(handle, bytes->data(), DWORD(bytes->size()), &got, nullptr) && got == bytes->size();
    }
    ::CloseHandle(handle);
    return read;
}

// A plain 8-bit RGB or RGBA PNG, decoded without GDI+'s codec lookup; null for anything else.
std::unique_ptr<Gdiplus::Bitmap> DecodeSkinPngBytes(const uint8_t* bytes, size_t size, bool* transparent)
{
    SkinPngLayout layout;
    if (!ReadSkinPng(bytes, size, &layout))
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(layout.width, layout.height, PixelFormat32bppARGB));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Rect all(0, 0, layout.width, layout.height);
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return nullptr;
    const bool decoded =
        DecodeSkinPng(bytes, size, layout, static_cast<uint8_t*>(data.Scan0), data.Stride, transparent);
    bitmap->UnlockBits(&data);
    return decoded ? std::move(bitmap) : nullptr;
}

std::unique_ptr<Gdiplus::Bitmap> DecodeSkinPngFile(const CString& file, bool* transparent)
{
    std::vector<uint8_t> bytes;
    return ReadWholeFile(file, &bytes) ? DecodeSkinPngBytes(bytes.data(), bytes.size(), transparent) : nullptr;
}

std::unique_ptr<Gdiplus::Bitmap> DecodeFile(const CString& file)
{
    wchar_t wide[MAX_PATH + 1] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, file, -1, wide, MAX_PATH))
        return nullptr;
    // GDI+'s own operator new gives null on failure.
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(wide));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return bitmap;
}

uint32_t BigEndian32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t LittleEndian32(const unsigned char* p)
{
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// The size a PNG's IHDR chunk or a BMP's info header states; false for anything else, which
// is then decoded to learn its size.
bool ReadHeaderSize(const std::vector<uint8_t>& bytes, CSize* size)
{
    if (bytes.size() < 26)
        return false;
    const unsigned char* head = bytes.data();
    constexpr unsigned char kPngSignature[12] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    int64_t width = 0, height = 0;
    if (memcmp(head, kPngSignature, sizeof kPngSignature) == 0 && memcmp(head + 12, "IHDR", 4) == 0) {
        width = BigEndian32(head + 16);
        height = BigEndian32(head + 20);
    } else if (head[0] == 'B' && head[1] == 'M') {
        const uint32_t infoSize = LittleEndian32(head + 14);
        if (infoSize == 12) {
            width = head[18] | head[19] << 8;
            height = head[20] | head[21] << 8;
        } else if (infoSize >= 40) {
            width = int32_t(LittleEndian32(head + 18));
            height = int32_t(LittleEndian32(head + 22));
            height = height < 0 ? -height : height;
        }
    }
    // Beyond any skin: left to the decoder to judge.
    constexpr int64_t kLargest = 1 << 16;
    if (width < 1 || height < 1 || width > kLargest || height > kLargest)
        return false;
    *size = CSize(int(width), int(height));
    return true;
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

std::wstring g_modulePath; // empty: the module's own name

std::wstring SkinModulePath()
{
    return g_modulePath.empty() ? std::wstring(geq::kSkinModuleName) + L".dll" : g_modulePath;
}

// The module is only a container of images: it is mapped as data, so a damaged or replaced
// file is never run.
class ScopedModule {
public:
    ScopedModule() : m_module(LoadLibraryExW(SkinModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ScopedModule()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    ScopedModule(const ScopedModule&) = delete;
    ScopedModule& operator=(const ScopedModule&) = delete;
    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};

// True when the bytes lie in memory that can be read: a damaged module may place a resource
// past the end of its file.
bool Mapped(const void* data, size_t size)
{
    const auto* at = static_cast<const BYTE*>(data);
    const BYTE* end = at + size;
    while (at < end) {
        MEMORY_BASIC_INFORMATION region;
        if (!VirtualQuery(at, &region, sizeof region) || region.State != MEM_COMMIT ||
            (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)))
            return false;
        at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}


} // namespace

SkinImage::SkinImage(const char* nameWithoutExtension)
{
    LoadFile(nameWithoutExtension);
}

SkinImage::SkinImage() = default;

SkinImage::~SkinImage()
{
    Adopt(nullptr);
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

void SkinImage::Adopt(std::unique_ptr<Gdiplus::Bitmap> bitmap, int transparent) const
{
    if (m_opaque)
        ::DeleteObject(m_opaque);
    m_opaque = nullptr;
    m_bitmap = std::move(bitmap);
    if (m_bitmap && !(transparent < 0 ? HasTransparency(*m_bitmap) : transparent != 0))
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
    SetFile(nameWithoutExtension);
    return IsLoaded();
}

bool SkinImage::SetFile(const char* nameWithoutExtension)
{
    Adopt(nullptr);
    m_headerSize = CSize(0, 0);
    m_pendingBytes.clear();
    m_pending = FindFile(nameWithoutExtension);
    return !m_pending.IsEmpty();
}

Gdiplus::Bitmap* SkinImage::Decoded() const
{
    if (!m_pending.IsEmpty()) {
        // Emptied first: Adopt asks for the pixels through CreateHBitmap.
        const CString file = m_pending;
        m_pending.Empty();
        const std::vector<uint8_t> bytes = std::move(m_pendingBytes);
        m_pendingBytes.clear();
        bool transparent = false;
        std::unique_ptr<Gdiplus::Bitmap> plain = bytes.empty()
                                                     ? DecodeSkinPngFile(file, &transparent)
                                                     : DecodeSkinPngBytes(bytes.data(), bytes.size(), &transparent);
        if (plain)
            Adopt(std::move(plain), transparent ? 1 : 0);
        else
            Adopt(DecodeFile(file));
    }
    return m_bitmap.get();
}

bool SkinImage::LoadResource(int id)
{
    Adopt(nullptr);
    m_pending.Empty();
    m_pendingBytes.clear();
    m_headerSize = CSize(0, 0);
    if (!GdiplusSession::Running())
        return false;
    ScopedModule module;
    if (!module.Get())
        return false;
    HRSRC res = FindResourceW(module.Get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RCDATA */);
    if (!res)
        return false;
    const DWORD size = SizeofResource(module.Get(), res);
    HGLOBAL loaded = ::LoadResource(module.Get(), res);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !size || !Mapped(data, size))
        return false;
    bool transparent = false;
    if (std::unique_ptr<Gdiplus::Bitmap> plain =
            DecodeSkinPngBytes(static_cast<const uint8_t*>(data), size, &transparent)) {
        Adopt(std::move(plain), transparent ? 1 : 0);
        return true;
    }
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return false;
    void* dst = GlobalLock(copy);
    if (!dst) {
        GlobalFree(copy);
        return false;
    }
    memcpy(dst, data, size);
    GlobalUnlock(copy);
    ComRef<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, stream.Out()))) {
        GlobalFree(copy);
        return false;
    }
    // GDI+'s own operator new gives null on failure.
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(stream.Get(), TRUE));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return false;
    Adopt(std::move(bitmap));
    return true;
}

CSize SkinImage::GetSize() const
{
    if (!m_pending.IsEmpty() && m_headerSize.cx <= 0) {
        // The whole file is read once: a PNG is then decoded from these bytes when first drawn,
        // instead of being opened again.
        std::vector<uint8_t> bytes;
        if (ReadWholeFile(m_pending, &bytes) && ReadHeaderSize(bytes, &m_headerSize) && bytes[0] == 0x89)
            m_pendingBytes = std::move(bytes);
    }
    if (!m_pending.IsEmpty() && m_headerSize.cx > 0)
        return m_headerSize;
    Gdiplus::Bitmap* bitmap = Decoded();
    if (!bitmap)
        return CSize(0, 0);
    return CSize(int(bitmap->GetWidth()), int(bitmap->GetHeight()));
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
    Gdiplus::Bitmap* bitmap = width > 0 && height > 0 && dc && dc->m_hDC ? Decoded() : nullptr;
    if (!bitmap)
        return;
    if (BlitOpaque(dc->m_hDC, x, y, sourceX, sourceY, width, height))
        return;
    PixelGraphics g(dc->m_hDC);
    g->DrawImage(bitmap, Gdiplus::Rect(x, y, width, height), sourceX, sourceY, width, height,
                 Gdiplus::UnitPixel);
}

void SkinImage::DrawScaled(CDC* dc, int left, int top, int right, int bottom) const
{
    Gdiplus::Bitmap* bitmap = dc && dc->m_hDC ? Decoded() : nullptr;
    if (!bitmap)
        return;
    const CSize size = GetSize();
    PixelGraphics g(dc->m_hDC);
    // Whole-pixel sampling at the edges: no half-transparent seam where tiles or bands meet.
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    g->DrawImage(bitmap, Gdiplus::Rect(left, top, right - left, bottom - top), 0, 0, size.cx, size.cy,
                 Gdiplus::UnitPixel, &attributes);
}

void SkinImage::DrawTiled(CDC* dc, int left, int top, int right, int bottom) const
{
    Gdiplus::Bitmap* bitmap = dc && dc->m_hDC ? Decoded() : nullptr;
    if (!bitmap)
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
            g->DrawImage(bitmap, Gdiplus::Rect(x, y, w, h), 0, 0, w, h, Gdiplus::UnitPixel);
        }
    }
}

std::unique_ptr<SkinImage> SkinImage::CloneArea(int left, int top, int right, int bottom) const
{
    Gdiplus::Bitmap* bitmap = right - left > 0 && bottom - top > 0 ? Decoded() : nullptr;
    if (!bitmap)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> clone(
        bitmap->Clone(Gdiplus::Rect(left, top, right - left, bottom - top), bitmap->GetPixelFormat()));
    if (!clone || clone->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    auto image = std::make_unique<SkinImage>();
    image->Adopt(std::move(clone));
    return image;
}

HBITMAP SkinImage::CreateHBitmap(DWORD argbBackground) const
{
    Gdiplus::Bitmap* image = Decoded();
    if (!image)
        return nullptr;
    HBITMAP bitmap = nullptr;
    if (image->GetHBITMAP(Gdiplus::Color(argbBackground), &bitmap) != Gdiplus::Ok)
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

namespace geq {

void SetSkinModulePath(const wchar_t* path)
{
    g_modulePath = path ? path : L"";
}

bool SkinModuleAvailable()
{
    ScopedModule module;
    return module.Get() != nullptr;
}

} // namespace geq
