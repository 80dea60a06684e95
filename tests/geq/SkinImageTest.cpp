#include "GdiplusInclude.h"
#include "SkinModule.h"

#include <memory>
#include <random>

using namespace skintest;

namespace {

const Image kPicture = [] {
    Image image = Solid(5, 3, RGB(10, 20, 30));
    image.pixels[0] = RGB(250, 0, 0);                       // top left
    image.pixels[4] = RGB(0, 250, 0);                       // top right
    image.pixels[image.pixels.size() - 1] = RGB(0, 0, 250); // bottom right
    return image;
}();

COLORREF PixelOf(const SkinImage& image, int x, int y)
{
    Gdiplus::Color c;
    image.GetBitmap()->GetPixel(x, y, &c);
    return RGB(c.GetR(), c.GetG(), c.GetB());
}

std::unique_ptr<SkinImage> Resource(int id)
{
    auto image = std::make_unique<SkinImage>();
    if (!image->LoadResource(id))
        return nullptr;
    return image;
}

Bytes Cut(const Bytes& bytes, size_t length)
{
    return Bytes(bytes.begin(), bytes.begin() + long(length));
}

Bytes Random(size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(length);
    for (auto& b : bytes)
        b = uint8_t(random());
    return bytes;
}

// The file with bytes from offset on replaced by random ones.
Bytes Scrambled(Bytes bytes, size_t offset, unsigned seed)
{
    const Bytes noise = Random(bytes.size() - offset, seed);
    std::copy(noise.begin(), noise.end(), bytes.begin() + long(offset));
    return bytes;
}

// A BMP whose header claims a huge picture that the file does not hold.
Bytes HugeBmp()
{
    Bytes bmp = Bmp(kPicture);
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(bmp.data() + sizeof(BITMAPFILEHEADER));
    info->biWidth = 200000;
    info->biHeight = 200000;
    return bmp;
}

} // namespace

class PageSkinImage : public testing::Test {
protected:
    geq::GdiplusUser gdiplus;
};

TEST_F(PageSkinImage, PngAndBmpImagesLoadWithTheirPixels)
{
    SkinModuleFile module({{1, Png(kPicture)}, {2, Bmp(kPicture)}});
    for (int id : {1, 2}) {
        SCOPED_TRACE(id);
        auto image = Resource(id);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->GetSize(), CSize(5, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(PixelOf(*image, x, y), kPicture.At(x, y)) << x << "," << y;
    }
}

TEST_F(PageSkinImage, EveryImageOfTheShippedModuleLoads)
{
    for (int id = geq::kSkinBackgroundTop; id <= geq::kSkinThumbVDisabled; ++id) {
        auto image = Resource(id);
        ASSERT_TRUE(image) << id;
        EXPECT_GT(image->GetSize().cx, 0) << id;
    }
}

// A module file a user has damaged: images whose bytes are gone are not there, and none of
// what is read ever lies beyond the file.
TEST_F(PageSkinImage, AMissingOrDamagedModuleGivesNoImageAndNeverACrash)
{
    kvtest::ScratchFolder folder;
    const std::string shipped = kvtest::BinFolder() + "KvSEEfRc.dll";
    Bytes dll;
    {
        HANDLE f = CreateFileA(shipped.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        dll.resize(GetFileSize(f, nullptr));
        DWORD got = 0;
        ReadFile(f, dll.data(), DWORD(dll.size()), &got, nullptr);
        CloseHandle(f);
        ASSERT_EQ(got, dll.size());
    }
    struct Case {
        const char* name;
        Bytes contents; // empty: no file at all
        bool noImage;   // else some images may have survived
    } cases[] = {
        {"no file", {}, true},
        {"cut after its headers", Cut(dll, 1024), true},
        {"cut in half", Cut(dll, dll.size() / 2), false},
        {"last byte missing", Cut(dll, dll.size() - 1), false},
        {"random bytes", Random(dll.size(), 7), true},
        {"headers kept, the rest random", Scrambled(dll, 512, 8), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File(std::string(c.name) + ".dll");
        if (!c.contents.empty()) {
            HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(f, INVALID_HANDLE_VALUE);
            DWORD put = 0;
            WriteFile(f, c.contents.data(), DWORD(c.contents.size()), &put, nullptr);
            CloseHandle(f);
        }
        geq::SetSkinModulePath(std::wstring(path.begin(), path.end()).c_str());
        for (int id = geq::kSkinBackgroundTop; id <= geq::kSkinThumbVDisabled; ++id) {
            auto image = Resource(id);
            if (c.noImage) {
                EXPECT_FALSE(image) << id;
            } else if (image) {
                EXPECT_GT(image->GetSize().cx, 0) << id;
            }
        }
    }
    geq::SetSkinModulePath(nullptr);
}

// Images a user has damaged: each gives no image or, where the decoder makes out a picture
// anyway, one of the size its header says that can be drawn; none may bring the program down.
TEST_F(PageSkinImage, DamagedImagesGiveNoImageAndNeverACrash)
{
    const Bytes png = Png(kPicture), bmp = Bmp(kPicture);
    const size_t pngPixels = 8 + 25 + 8; // signature, IHDR chunk, IDAT's length and type
    const size_t bmpPixels = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    struct Case {
        const char* name;
        Bytes bytes;
        bool mustFail; // nothing of the picture is in it
    } cases[] = {
        {"png: one byte", Cut(png, 1), true},
        {"png: signature only", Cut(png, 8), true},
        {"png: cut in its header", Cut(png, 20), true},
        {"png: cut before the pixels", Cut(png, pngPixels), true},
        {"png: cut in the pixels", Cut(png, pngPixels + 10), false},
        {"png: without its end", Cut(png, png.size() - 12), false},
        {"png: last byte missing", Cut(png, png.size() - 1), false},
        {"png: random after the signature", Scrambled(png, 8, 1), true},
        {"png: random pixels", Scrambled(png, pngPixels, 2), false},
        {"bmp: two bytes", Cut(bmp, 2), true},
        {"bmp: file header only", Cut(bmp, sizeof(BITMAPFILEHEADER)), true},
        {"bmp: cut in its header", Cut(bmp, sizeof(BITMAPFILEHEADER) + 10), true},
        {"bmp: cut before the pixels", Cut(bmp, bmpPixels), false},
        {"bmp: last byte missing", Cut(bmp, bmp.size() - 1), false},
        {"bmp: claims a huge picture", HugeBmp(), false},
        {"bmp: random after the type", Scrambled(bmp, 2, 3), false},
        {"random: 1 byte", Random(1, 4), true},
        {"random: 64 bytes", Random(64, 5), true},
        {"random: 4096 bytes", Random(4096, 6), true},
    };
    std::vector<std::pair<int, Bytes>> resources;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        resources.emplace_back(int(100 + i), cases[i].bytes);
    SkinModuleFile module(resources);

    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateBitmap(16, 16, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    CDC canvas(dc);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        auto image = Resource(int(100 + i));
        if (c.mustFail) {
            EXPECT_FALSE(image);
        } else if (image) {
            const SIZE size = image->GetSize();
            const auto* info =
                c.bytes[0] == 'B' ? reinterpret_cast<const BITMAPINFOHEADER*>(c.bytes.data() + sizeof(BITMAPFILEHEADER))
                                  : nullptr;
            EXPECT_EQ(size.cx, info ? info->biWidth : kPicture.width);
            EXPECT_EQ(size.cy, info ? std::abs(info->biHeight) : kPicture.height);
            image->DrawScaled(&canvas, RECT{0, 0, 16, 16});
            image->DrawTiled(&canvas, RECT{0, 0, 16, 16});
        }
    }
    EXPECT_FALSE(Resource(99)) << "an id the module lacks";
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
}
