#include <gtest/gtest.h>

#include "SkinFixture.h"

#include <cstdio>
#include <string>

using skintest::Canvas;

namespace {

class SkinImageFiles : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return folder.File(name); }

    GdiplusSession gdiplus;
    kvtest::ScratchFolder folder;
};

// Each pixel of a 10 x 10 test image tells its own coordinates.
COLORREF Coded(int x, int y)
{
    return RGB(20 * x + 5, 20 * y + 5, 77);
}

// A 24-bit BMP stored top row first (negative height), which GDI+ does not write itself.
void SaveTopDownBmp(const std::string& path, int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + DWORD(stride * height);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string rows(size_t(stride * height), '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = Coded(x, y);
            char* p = &rows[size_t(y * stride + x * 3)];
            p[0] = char(GetBValue(c));
            p[1] = char(GetGValue(c));
            p[2] = char(GetRValue(c));
        }
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(&file, sizeof file, 1, f);
    fwrite(&info, sizeof info, 1, f);
    fwrite(rows.data(), 1, rows.size(), f);
    fclose(f);
}

} // namespace

TEST_F(SkinImageFiles, PngIsPreferredAndBmpIsTheFallback)
{
    const struct {
        bool png, bmp;
        COLORREF seen; // white: nothing loaded
    } cases[] = {
        {true, true, RGB(0, 200, 0)},
        {false, true, RGB(0, 0, 200)},
        {true, false, RGB(0, 200, 0)},
        {false, false, RGB(255, 255, 255)},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = Path(("img" + std::to_string(n++)).c_str());
        if (c.png)
            skintest::SaveSolid(name + ".png", 3, 3, RGB(0, 200, 0));
        if (c.bmp)
            skintest::SaveSolid(name + ".bmp", 3, 3, RGB(0, 0, 200));
        SkinImage image(name.c_str());
        EXPECT_EQ(image.IsLoaded(), c.png || c.bmp);
        Canvas canvas(3, 3);
        image.Draw(canvas.dc(), 0, 0);
        EXPECT_EQ(canvas.At(1, 1), c.seen) << "png " << c.png << " bmp " << c.bmp;
        EXPECT_EQ(image.GetSize(), c.png || c.bmp ? CSize(3, 3) : CSize(0, 0));
    }
}

TEST_F(SkinImageFiles, TilingCutsTheLastColumnAndRowInsteadOfScaling)
{
    skintest::SaveImage(Path("tile") + ".png", 10, 10, Coded);
    SkinImage image(Path("tile").c_str());
    ASSERT_TRUE(image.IsLoaded());
    Canvas canvas(40, 20);
    image.DrawTiled(canvas.dc(), 0, 0, 25, 12);
    // Six tiles: three columns (10, 10, 5 wide) by two rows (10, 2 high), all from (0, 0).
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            const COLORREF expected = x < 25 && y < 12 ? Coded(x % 10, y % 10) : RGB(255, 255, 255);
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
}

TEST_F(SkinImageFiles, PartsAndPiecesCopyUnscaled)
{
    skintest::SaveImage(Path("strip") + ".png", 10, 10, Coded);
    SkinImage image(Path("strip").c_str());
    Canvas canvas(20, 20);
    image.DrawPart(canvas.dc(), 1, 2, 5, 5, 6, 3);    // 4 x 3 from (6, 3) to (1, 2)
    image.DrawPiece(canvas.dc(), 12, 12, 2, 7, 3, 2); // 3 x 2 from (2, 7) to (12, 12)
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            COLORREF expected = RGB(255, 255, 255);
            if (x >= 1 && x < 5 && y >= 2 && y < 5)
                expected = Coded(x - 1 + 6, y - 2 + 3);
            if (x >= 12 && x < 15 && y >= 12 && y < 14)
                expected = Coded(x - 12 + 2, y - 12 + 7);
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
}

TEST_F(SkinImageFiles, CloneAreaCopiesTheRectangleOrGivesNull)
{
    skintest::SaveImage(Path("frame") + ".png", 10, 10, Coded);
    SkinImage image(Path("frame").c_str());
    std::unique_ptr<SkinImage> part = image.CloneArea(2, 3, 6, 5);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->GetSize(), CSize(4, 2));
    Canvas canvas(4, 2);
    part->Draw(canvas.dc(), 0, 0);
    EXPECT_EQ(canvas.At(0, 0), Coded(2, 3));
    EXPECT_EQ(canvas.At(3, 1), Coded(5, 4));

    const RECT empty[] = {{4, 4, 4, 8}, {4, 4, 8, 4}, {6, 4, 2, 8}};
    for (const RECT& r : empty)
        EXPECT_EQ(image.CloneArea(r.left, r.top, r.right, r.bottom), nullptr) << r.left << "," << r.right;
    EXPECT_EQ(SkinImage().CloneArea(0, 0, 2, 2), nullptr);
}

// SetFile only names the file: the size comes from the header until the first draw decodes it,
// and the picture is the one LoadFile gives.
TEST_F(SkinImageFiles, ANamedFileIsSizedFromItsHeaderAndDrawnAsLoaded)
{
    skintest::SaveImage(Path("png") + ".png", 7, 5, Coded);
    skintest::SaveImage(Path("bmp") + ".bmp", 7, 5, Coded);
    SaveTopDownBmp(Path("topdown") + ".bmp", 7, 5);
    for (const char* name : {"png", "bmp", "topdown"}) {
        SkinImage named;
        ASSERT_TRUE(named.SetFile(Path(name).c_str())) << name;
        EXPECT_EQ(named.GetSize(), CSize(7, 5)) << name;
        Canvas canvas(9, 7);
        named.Draw(canvas.dc(), 1, 1);
        EXPECT_TRUE(named.IsLoaded()) << name;
        EXPECT_EQ(named.GetSize(), CSize(7, 5)) << name;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x) {
                const bool inside = x >= 1 && x < 8 && y >= 1 && y < 6;
                ASSERT_EQ(canvas.At(x, y), inside ? Coded(x - 1, y - 1) : RGB(255, 255, 255))
                    << name << " " << x << "," << y;
            }
    }
    SkinImage missing;
    EXPECT_FALSE(missing.SetFile(Path("absent").c_str()));
    EXPECT_EQ(missing.GetSize(), CSize(0, 0));
}

// The file is read once: a PNG whose size was asked draws from the bytes read then, even when
// the file has gone since.
TEST_F(SkinImageFiles, ASizedPngDrawsFromTheBytesReadForItsSize)
{
    const std::string file = Path("once") + ".png";
    skintest::SaveImage(file, 7, 5, Coded);
    SkinImage named;
    ASSERT_TRUE(named.SetFile(Path("once").c_str()));
    EXPECT_EQ(named.GetSize(), CSize(7, 5));
    ASSERT_TRUE(DeleteFileA(file.c_str()));
    Canvas canvas(7, 5);
    named.Draw(canvas.dc(), 0, 0);
    EXPECT_TRUE(named.IsLoaded());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(canvas.At(x, y), Coded(x, y)) << x << "," << y;
}

// A file whose header is sound but whose pixels are not: it keeps its header size until it is
// first used, then draws nothing, has no size and clones to null, as an unreadable loaded file.
TEST_F(SkinImageFiles, ANamedFileThatDoesNotDecodeDrawsNothing)
{
    skintest::SaveImage(Path("broken") + ".png", 6, 4, Coded);
    {
        // Keep the signature and the header chunk, spoil everything after.
        FILE* f = fopen((Path("broken") + ".png").c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        fseek(f, 33, SEEK_SET);
        const std::string junk(64, '\x5A');
        fwrite(junk.data(), 1, junk.size(), f);
        fclose(f);
    }
    SkinImage broken;
    ASSERT_TRUE(broken.SetFile(Path("broken").c_str()));
    EXPECT_EQ(broken.GetSize(), CSize(6, 4));
    Canvas canvas(8, 8);
    broken.DrawTiled(canvas.dc(), 0, 0, 8, 8);
    EXPECT_TRUE(canvas.AllAre(RGB(255, 255, 255)));
    EXPECT_FALSE(broken.IsLoaded());
    EXPECT_EQ(broken.GetSize(), CSize(0, 0));
    EXPECT_EQ(broken.CloneArea(0, 0, 2, 2), nullptr);
    EXPECT_EQ(broken.CreateHBitmap(), nullptr);
}

TEST_F(SkinImageFiles, AnEmptyImageOrNullDcDrawsNothing)
{
    SkinImage none(Path("absent").c_str());
    SkinImage some;
    skintest::SaveSolid(Path("red") + ".bmp", 4, 4, RGB(255, 0, 0));
    some.LoadFile(Path("red").c_str());
    Canvas canvas(8, 8);
    none.Draw(canvas.dc(), 0, 0);
    none.DrawTiled(canvas.dc(), 0, 0, 8, 8);
    none.DrawScaled(canvas.dc(), 0, 0, 8, 8);
    some.Draw(nullptr, 0, 0);
    some.DrawTiled(nullptr, 0, 0, 8, 8);
    EXPECT_TRUE(canvas.AllAre(RGB(255, 255, 255)));
    EXPECT_EQ(none.CreateHBitmap(), nullptr);
    HBITMAP bitmap = some.CreateHBitmap();
    EXPECT_EQ(GetBitmapSize(bitmap), CSize(4, 4));
    DeleteObject(bitmap);
    EXPECT_EQ(GetBitmapSize(nullptr), CSize(0, 0));
}

TEST(ToolBarStrips, NormalAndDisabledStripsHoldTheSameSixteenPixelButtons)
{
    HBITMAP enabled = LoadBitmapA(GetModuleHandleA(nullptr), "ToolBarExE");
    HBITMAP disabled = LoadBitmapA(GetModuleHandleA(nullptr), "ToolBarExD");
    ASSERT_NE(enabled, nullptr);
    ASSERT_NE(disabled, nullptr);
    const CSize size = GetBitmapSize(enabled);
    EXPECT_EQ(GetBitmapSize(disabled), size);
    EXPECT_EQ(size.cy, 16);
    EXPECT_EQ(size.cx % 16, 0);
    EXPECT_GT(size.cx, 0);
    DeleteObject(enabled);
    DeleteObject(disabled);
}
