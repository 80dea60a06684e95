// Skin images for tests: small PNG and BMP files made in memory, and a resource module of our
// own holding them (a copy of the shipped one with its images replaced), which the skin loads
// while the SkinModuleFile lives.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include "SkinImage.h"
#include "TestSupport.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace skintest {

using Bytes = std::vector<uint8_t>;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels; // row by row from the top
    COLORREF At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

inline Image Solid(int width, int height, COLORREF colour)
{
    return Image{width, height, std::vector<COLORREF>(size_t(width) * height, colour)};
}

// a where x + y is even, b elsewhere.
inline Image Checker(int width, int height, COLORREF a, COLORREF b)
{
    Image image{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.push_back((x + y) % 2 ? b : a);
    return image;
}

namespace detail {

inline void Put32(Bytes& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

inline uint32_t Crc32(const uint8_t* p, size_t n)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void Chunk(Bytes& out, const char* type, const Bytes& data)
{
    Put32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, Crc32(out.data() + start, out.size() - start));
}

} // namespace detail

// An 8-bit RGB PNG; its pixel data is zlib-wrapped in stored (uncompressed) blocks.
inline Bytes Png(const Image& image)
{
    Bytes raw;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = image.At(x, y);
            raw.insert(raw.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
        }
    }
    Bytes z{0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        z.insert(z.end(), {uint8_t(last ? 1 : 0), uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    detail::Put32(z, (b << 16) | a);

    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    detail::Put32(header, uint32_t(image.width));
    detail::Put32(header, uint32_t(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    detail::Chunk(png, "IHDR", header);
    detail::Chunk(png, "IDAT", z);
    detail::Chunk(png, "IEND", {});
    return png;
}

// A 24-bit bottom-up BMP file.
inline Bytes Bmp(const Image& image)
{
    const int stride = (image.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + DWORD(stride * image.height);
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = image.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    Bytes bmp(reinterpret_cast<const uint8_t*>(&file), reinterpret_cast<const uint8_t*>(&file) + sizeof file);
    bmp.insert(bmp.end(), reinterpret_cast<const uint8_t*>(&info),
               reinterpret_cast<const uint8_t*>(&info) + sizeof info);
    for (int y = image.height - 1; y >= 0; --y) {
        Bytes row(size_t(stride), 0);
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = image.At(x, y);
            row[size_t(x) * 3] = GetBValue(c);
            row[size_t(x) * 3 + 1] = GetGValue(c);
            row[size_t(x) * 3 + 2] = GetRValue(c);
        }
        bmp.insert(bmp.end(), row.begin(), row.end());
    }
    return bmp;
}

// A resource module holding the given RCDATA resources (id, bytes) and nothing else, which the
// skin loads from while this object lives.
class SkinModuleFile {
public:
    explicit SkinModuleFile(const std::vector<std::pair<int, Bytes>>& resources)
    {
        const std::string shipped = kvtest::BinFolder() + "KvSEEfRc.dll";
        m_path = m_folder.File("TestSkin.dll");
        EXPECT_TRUE(CopyFileA(shipped.c_str(), m_path.c_str(), FALSE)) << shipped;
        HANDLE update = BeginUpdateResourceA(m_path.c_str(), TRUE);
        EXPECT_NE(update, nullptr);
        for (const auto& r : resources)
            EXPECT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(10) /* RCDATA */, MAKEINTRESOURCEA(r.first),
                                        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                        const_cast<uint8_t*>(r.second.data()), DWORD(r.second.size())))
                << r.first;
        EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
        geq::SetSkinModulePath(std::wstring(m_path.begin(), m_path.end()).c_str());
    }
    ~SkinModuleFile() { geq::SetSkinModulePath(nullptr); }
    SkinModuleFile(const SkinModuleFile&) = delete;
    SkinModuleFile& operator=(const SkinModuleFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    kvtest::ScratchFolder m_folder;
    std::string m_path;
};

} // namespace skintest
