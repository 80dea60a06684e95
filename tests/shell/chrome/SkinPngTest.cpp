#include <gtest/gtest.h>

#include "../../geq/SkinModule.h"
#include "GdiplusInclude.h"
#include "SkinFixture.h"
#include "SkinImage.h"
#include "SkinPng.h"
#include "TestSupport.h"

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using skintest::Bytes;

using skintest::detail::Chunk;
using skintest::detail::Crc32;
using skintest::detail::Put32;

// The bytes in one stored (uncompressed) deflate block with the zlib wrapping.
Bytes StoredZlib(const Bytes& raw)
{
    Bytes z{0x78, 0x01, 1, uint8_t(raw.size()), uint8_t(raw.size() >> 8), uint8_t(~raw.size()),
            uint8_t(~raw.size() >> 8)};
    z.insert(z.end(), raw.begin(), raw.end());
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    Put32(z, b << 16 | a);
    return z;
}

struct PngShape {
    int width, height;
    uint8_t depth, colour, interlace;
    Bytes rows;             // filtered rows, each led by its filter type
    const char* extra = ""; // a chunk type put before the pixels ("" for none)
    Bytes extraData;
};

Bytes MakePng(const PngShape& shape)
{
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    Put32(header, uint32_t(shape.width));
    Put32(header, uint32_t(shape.height));
    header.insert(header.end(), {shape.depth, shape.colour, 0, 0, shape.interlace});
    Chunk(png, "IHDR", header);
    if (*shape.extra)
        Chunk(png, shape.extra, shape.extraData);
    Chunk(png, "IDAT", StoredZlib(shape.rows));
    Chunk(png, "IEND", {});
    return png;
}

// Rows of an 8-bit picture whose row y is stored with filter filters[y % size]; the raw bytes
// vary enough that every filter's neighbours matter.
Bytes FilteredRows(int width, int height, int pixelBytes, const std::vector<uint8_t>& filters)
{
    Bytes rows;
    for (int y = 0; y < height; ++y) {
        rows.push_back(filters[size_t(y) % filters.size()]);
        for (int i = 0; i < width * pixelBytes; ++i)
            rows.push_back(uint8_t(37 * i + 91 * y + (i * y) % 7 + (i % pixelBytes == 3 ? 128 : 0)));
    }
    return rows;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool whole = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && whole;
}

Bytes ReadFile(const std::string& path)
{
    Bytes bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        int c;
        while ((c = fgetc(f)) != EOF)
            bytes.push_back(uint8_t(c));
        fclose(f);
    }
    return bytes;
}

struct Pixels {
    int width = 0;
    int height = 0;
    Bytes bgra;
    bool transparent = false;
};

bool Decode(const Bytes& png, Pixels* out)
{
    SkinPngLayout layout;
    if (!ReadSkinPng(png.data(), png.size(), &layout))
        return false;
    out->width = layout.width;
    out->height = layout.height;
    out->bgra.assign(size_t(layout.width) * size_t(layout.height) * 4, 0);
    return DecodeSkinPng(png.data(), png.size(), layout, out->bgra.data(), layout.width * 4, &out->transparent);
}

// What GDI+'s own decoder makes of a file, as 32bppARGB bytes; empty when it cannot read it.
Pixels GdiplusPixels(const std::string& path)
{
    Pixels pixels;
    std::wstring wide(path.begin(), path.end());
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(wide.c_str()));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return pixels;
    pixels.width = int(bitmap->GetWidth());
    pixels.height = int(bitmap->GetHeight());
    Gdiplus::Rect all(0, 0, pixels.width, pixels.height);
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return Pixels();
    for (int y = 0; y < pixels.height; ++y) {
        const auto* row = static_cast<const uint8_t*>(data.Scan0) + INT_PTR(y) * data.Stride;
        pixels.bgra.insert(pixels.bgra.end(), row, row + pixels.width * 4);
    }
    bitmap->UnlockBits(&data);
    return pixels;
}

void ExpectSamePixels(const Pixels& ours, const Pixels& gdiplus, const std::string& what)
{
    ASSERT_EQ(ours.width, gdiplus.width) << what;
    ASSERT_EQ(ours.height, gdiplus.height) << what;
    ASSERT_EQ(ours.bgra.size(), gdiplus.bgra.size()) << what;
    for (size_t i = 0; i < ours.bgra.size(); ++i)
        ASSERT_EQ(int(ours.bgra[i]), int(gdiplus.bgra[i])) << what << " byte " << i;
}

class SkinPngFiles : public ::testing::Test {
protected:
    GdiplusSession gdiplus;
    kvtest::ScratchFolder folder;
};

} // namespace

// The program's own skin, made by an ordinary encoder (dynamic and fixed blocks): every image
// decodes, pixel for pixel, to what GDI+'s decoder gives.
TEST_F(SkinPngFiles, EveryShippedSkinImageDecodesToTheSamePixelsAsGdiplus)
{
    const std::string images = static_cast<const char*>(GetImagesFolder());
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((images + "*.png").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << images;
    int count = 0;
    do {
        const std::string path = images + found.cFileName;
        const Bytes bytes = ReadFile(path);
        Pixels ours;
        ASSERT_TRUE(Decode(bytes, &ours)) << path;
        ExpectSamePixels(ours, GdiplusPixels(path), path);
        if (HasFatalFailure())
            break;
        ++count;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    EXPECT_GT(count, 100);
}

// Each row filter, RGB and RGBA, one pixel wide (no left neighbour) and wider, against GDI+.
TEST_F(SkinPngFiles, EveryRowFilterDecodesAsGdiplusDecodesIt)
{
    const std::vector<std::vector<uint8_t>> filterRuns = {{0}, {1}, {2}, {3}, {4}, {4, 3, 2, 1, 0}};
    for (uint8_t colour : {uint8_t(2), uint8_t(6)}) {
        const int pixelBytes = colour == 6 ? 4 : 3;
        for (int width : {1, 5}) {
            for (const auto& filters : filterRuns) {
                const std::string what = "colour " + std::to_string(colour) + " width " + std::to_string(width) +
                                         " filter " + std::to_string(filters[0]) + " of " +
                                         std::to_string(filters.size());
                const Bytes png = MakePng({width, 6, 8, colour, 0, FilteredRows(width, 6, pixelBytes, filters), "", {}});
                const std::string path = folder.File("filtered.png");
                ASSERT_TRUE(WriteFile(path, png));
                Pixels ours;
                ASSERT_TRUE(Decode(png, &ours)) << what;
                EXPECT_EQ(ours.transparent, colour == 6) << what;
                ExpectSamePixels(ours, GdiplusPixels(path), what);
            }
        }
    }
}

// Pictures skins are not made of are refused, and the skin image still shows them through GDI+.
TEST_F(SkinPngFiles, OtherKindsOfPngAreLeftToGdiplus)
{
    const Bytes rgb = FilteredRows(3, 2, 3, {0});
    Bytes wide;
    for (uint8_t b : FilteredRows(3, 2, 6, {0}))
        wide.push_back(b);
    const Bytes grey = FilteredRows(3, 2, 1, {0});
    const Bytes gamma{0, 0, 0xB1, 0x8F};
    const Bytes key{0, 1, 0, 2, 0, 3};
    const struct {
        const char* what;
        PngShape shape;
    } cases[] = {
        {"16 bits a channel", {3, 2, 16, 2, 0, wide, "", {}}},
        {"grey", {3, 2, 8, 0, 0, grey, "", {}}},
        {"interlaced", {3, 2, 8, 2, 1, rgb, "", {}}},
        {"gamma", {3, 2, 8, 2, 0, rgb, "gAMA", gamma}},
        {"colour key", {3, 2, 8, 2, 0, rgb, "tRNS", key}},
    };
    for (const auto& c : cases) {
        const Bytes png = MakePng(c.shape);
        Pixels ours;
        EXPECT_FALSE(Decode(png, &ours)) << c.what;
    }
    // The 16-bit one through the skin image: GDI+ reads it, so it is drawn all the same.
    const std::string name = folder.File("deep");
    ASSERT_TRUE(WriteFile(name + ".png", MakePng(cases[0].shape)));
    SkinImage image;
    ASSERT_TRUE(image.SetFile(name.c_str()));
    skintest::Canvas canvas(3, 2);
    image.Draw(canvas.dc(), 0, 0);
    ASSERT_TRUE(image.IsLoaded());
    EXPECT_EQ(image.GetSize(), CSize(3, 2));
    // Each 16-bit sample shows its high byte.
    EXPECT_EQ(canvas.At(0, 0), RGB(wide[1], wide[3], wide[5]));
}

// zlib streams of each block kind, as an ordinary encoder writes them.
TEST(SkinPngInflate, StoredFixedAndSeveralBlocksInflate)
{
    const std::string hello = "hello hello hello hello";
    const std::string parts = "first part, second part";
    const struct {
        const char* what;
        Bytes stream;
        std::string expected;
    } cases[] = {
        {"fixed", {0x78, 0xDA, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x57, 0xC8, 0x40, 0x27, 0x01, 0x68, 0x03, 0x08, 0xB1}, hello},
        // One literal, then a copy of distance 1 that overlaps what it writes.
        {"run", {0x78, 0xDA, 0x4B, 0x4C, 0x1C, 0x05, 0xC4, 0x02, 0x00, 0xD8, 0xA8, 0x71, 0xAD}, std::string(300, 'a')},
        {"stored",
         {0x78, 0x01, 0x01, 0x0C, 0x00, 0xF3, 0xFF, 0x73, 0x74, 0x6F, 0x72, 0x65, 0x64, 0x20, 0x62, 0x79, 0x74, 0x65,
          0x73, 0x1F, 0xCF, 0x04, 0xD9},
         "stored bytes"},
        // A fixed block, an empty stored one (a full flush), a last fixed block.
        {"blocks",
         {0x78, 0xDA, 0x4A, 0xCB, 0x2C, 0x2A, 0x2E, 0x51, 0x28, 0x48, 0x2C, 0x2A, 0xD1, 0x51, 0x00, 0x00, 0x00, 0x00, 0xFF,
          0xFF, 0x2B, 0x4E, 0x4D, 0xCE, 0xCF, 0x4B, 0x51, 0x28, 0x48, 0x2C, 0x2A, 0x01, 0x00, 0x67, 0xC6, 0x08, 0x9F},
         parts},
    };
    for (const auto& c : cases) {
        Bytes out(c.expected.size() + 1);
        ASSERT_TRUE(InflateZlib(c.stream.data(), c.stream.size(), out.data(), c.expected.size())) << c.what;
        EXPECT_EQ(std::string(out.begin(), out.end() - 1), c.expected) << c.what;
        // Any other length is refused, and so is every stream cut short.
        EXPECT_FALSE(InflateZlib(c.stream.data(), c.stream.size(), out.data(), c.expected.size() - 1)) << c.what;
        EXPECT_FALSE(InflateZlib(c.stream.data(), c.stream.size(), out.data(), c.expected.size() + 1)) << c.what;
        for (size_t cut = 0; cut < c.stream.size(); ++cut)
            EXPECT_FALSE(InflateZlib(c.stream.data(), cut, out.data(), c.expected.size())) << c.what << " cut at " << cut;
    }
}

// Damaged pixel data (the chunk's CRC made right again, as a careless editor would) never
// crashes or reads or writes out of bounds: each is refused or decoded at the header's size.
TEST_F(SkinPngFiles, DamagedPixelDataIsRefusedOrDecodedAtItsSizeNeverOverrun)
{
    const std::string images = static_cast<const char*>(GetImagesFolder());
    const Bytes original = ReadFile(images + "el_d_reverb.png");
    ASSERT_GT(original.size(), 60u);
    Pixels reference;
    ASSERT_TRUE(Decode(original, &reference));
    // The first IDAT chunk follows the 13-byte header chunk.
    const size_t idat = 8 + 25;
    ASSERT_EQ(memcmp(original.data() + idat + 4, "IDAT", 4), 0);
    const uint32_t length = uint32_t(original[idat]) << 24 | original[idat + 1] << 16 | original[idat + 2] << 8 |
                            original[idat + 3];
    std::mt19937 random(12345);
    int decoded = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = original;
        const int changes = 1 + int(random() % 4);
        for (int i = 0; i < changes; ++i) {
            const size_t at = idat + 8 + random() % length;
            if (round % 3 == 0)
                damaged[at] ^= uint8_t(1u << (random() % 8));
            else
                damaged[at] = uint8_t(random());
        }
        const uint32_t crc = Crc32(damaged.data() + idat + 4, length + 4);
        for (int k = 0; k < 4; ++k)
            damaged[idat + 8 + length + size_t(k)] = uint8_t(crc >> (24 - 8 * k));
        Pixels pixels;
        if (Decode(damaged, &pixels)) {
            ++decoded;
            ASSERT_EQ(pixels.width, reference.width);
            ASSERT_EQ(pixels.bgra.size(), reference.bgra.size());
        }
    }
    // The zlib checksum catches nearly all of them.
    EXPECT_LT(decoded, 30);
    // And damage anywhere in the file, CRCs left as they are: refused.
    for (size_t at = 8; at < original.size(); at += 7) {
        Bytes damaged = original;
        damaged[at] ^= 0x10;
        Pixels pixels;
        EXPECT_FALSE(Decode(damaged, &pixels)) << at;
    }
    for (size_t cut = 0; cut < original.size(); cut += 5) {
        Pixels pixels;
        EXPECT_FALSE(Decode(Bytes(original.begin(), original.begin() + long(cut)), &pixels)) << cut;
    }
}
