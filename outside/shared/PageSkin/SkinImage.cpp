#include "SkinImage.h"

#include <string>

namespace geq {

namespace {

std::wstring g_modulePath; // empty: the module's own name

std::wstring ModulePath()
{
    return g_modulePath.empty() ? std::wstring(kSkinModuleName) + L".dll" : g_modulePath;
}

// The module is only a container of images: it is mapped as data, so a damaged or replaced
// file is never run.
class ScopedModule {
public:
    ScopedModule() : m_module(LoadLibraryExW(ModulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
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

void SetSkinModulePath(const wchar_t* path)
{
    g_modulePath = path ? path : L"";
}

bool SkinModuleAvailable()
{
    ScopedModule module;
    return module.Get() != nullptr;
}

std::unique_ptr<Gdiplus::Bitmap> LoadSkinImage(int id)
{
    if (!GdiplusSession::Running())
        return nullptr;
    ScopedModule module;
    if (!module.Get())
        return nullptr;
    HRSRC res = FindResourceW(module.Get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RCDATA */);
    if (!res)
        return nullptr;
    const DWORD size = SizeofResource(module.Get(), res);
    HGLOBAL loaded = LoadResource(module.Get(), res);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !size || !Mapped(data, size))
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return nullptr;
    void* dst = GlobalLock(copy);
    if (!dst) {
        GlobalFree(copy);
        return nullptr;
    }
    memcpy(dst, data, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return nullptr;
    }
    // GDI+'s own operator new gives null on failure.
    std::unique_ptr<Gdiplus::Bitmap> image(new Gdiplus::Bitmap(stream, TRUE));
    stream->Release();
    if (image && image->GetLastStatus() != Gdiplus::Ok)
        image.reset();
    return image;
}

SIZE ImageSize(Gdiplus::Bitmap* image)
{
    if (!image)
        return SIZE{0, 0};
    return SIZE{LONG(image->GetWidth()), LONG(image->GetHeight())};
}

void TileImage(HDC dc, Gdiplus::Bitmap* image, const RECT& area)
{
    const SIZE s = ImageSize(image);
    if (s.cx <= 0 || s.cy <= 0 || area.right <= area.left || area.bottom <= area.top)
        return;
    Gdiplus::Graphics g(dc);
    g.SetClip(Gdiplus::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top));
    for (LONG y = area.top; y < area.bottom; y += s.cy)
        for (LONG x = area.left; x < area.right; x += s.cx)
            g.DrawImage(image, Gdiplus::Rect(x, y, s.cx, s.cy), 0, 0, s.cx, s.cy, Gdiplus::UnitPixel);
}

void DrawImage(HDC dc, Gdiplus::Bitmap* image, const RECT& area)
{
    const SIZE s = ImageSize(image);
    if (s.cx <= 0 || s.cy <= 0)
        return;
    Gdiplus::Graphics g(dc);
    // Mirrored edges: a stretched image is sampled up to its last row and column instead of
    // fading into transparency there.
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    g.DrawImage(image, Gdiplus::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top), 0, 0, s.cx,
                s.cy, Gdiplus::UnitPixel, &edges);
}

} // namespace geq
