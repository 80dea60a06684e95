#include <gtest/gtest.h>

#include "SkinFixture.h"

#include <climits>
#include <string>

using skintest::Canvas;
using skintest::SkinFolder;

namespace {

class SkinTables : public ::testing::Test {
protected:
    void SetUp() override { InitSkinColors(); }
    void TearDown() override { table.Free(); }

    GdiplusSession gdiplus;
    CSkinImageTable table;
};

std::string NotFound(const SkinFolder& folder, const char* name)
{
    return "ImageFile Not Found:\n" + folder.Path(name);
}

} // namespace

TEST_F(SkinTables, LoadsEveryImageOfTheImagesFolderBesideTheProgramFolder)
{
    const std::string bin = kvtest::BinFolder(); // "<build>\\bin\\": the images lie beside bin
    const std::string expected = bin.substr(0, bin.size() - 4) + "images\\";
    EXPECT_EQ(std::string(GetImagesFolder().GetString()), expected);
    CString missing;
    ASSERT_TRUE(table.LoadFrom(GetImagesFolder(), &missing)) << missing.GetString();
    for (int id = 0; id < kSkinImageCount; ++id) {
        const CSize size = GetSkinImageSize(id);
        EXPECT_GT(size.cx, 0) << SkinImageName(id);
        EXPECT_GT(size.cy, 0) << SkinImageName(id);
    }
    // The sizes above come from the files' headers; the pictures decode on first use to the same.
    for (int id = 0; id < kSkinImageCount; ++id) {
        const CSize header = GetSkinImageSize(id);
        ASSERT_NE(SkinImageAt(id), nullptr) << SkinImageName(id);
        EXPECT_TRUE(SkinImageAt(id)->IsLoaded()) << SkinImageName(id);
        EXPECT_EQ(GetSkinImageSize(id), header) << SkinImageName(id);
    }
    for (int id : {24, 88, 82})
        EXPECT_NE(GetSkinPatternBrush(id), nullptr) << id;
    EXPECT_NE(SkinImageAt(74), SkinImageAt(76)) << "one file, two image objects";
    EXPECT_EQ(GetSkinImageSize(74), GetSkinImageSize(76));
}

TEST_F(SkinTables, TheFirstMissingFileInLoadOrderIsReportedAndNothingStaysLoaded)
{
    // Load order is id order except mix_btn (16) after 77, 39 before 38 and 55 before 54;
    // the tab headers come after all images.
    const struct {
        std::vector<const char*> removed;
        const char* reported;
    } cases[] = {
        {{"group_btn"}, "group_btn"},
        {{"mix_btn", "mixer_resize"}, "mixer_resize"},
        {{"mix_btn", "thumb_h"}, "mix_btn"},
        {{"ctrl_prevcue", "ctrl_nextcue"}, "ctrl_nextcue"},
        {{"bctrl_prevcue", "bctrl_nextcue"}, "bctrl_nextcue"},
        {{"mixer_vol_meter1"}, "mixer_vol_meter1"},
        {{"multi_icon", "el_kv5tab"}, "multi_icon"},
        {{"el_kv5tab02"}, "el_kv5tab02"},
    };
    for (const auto& c : cases) {
        SkinFolder folder;
        for (const char* name : c.removed)
            folder.Remove(name);
        CString missing;
        EXPECT_FALSE(table.LoadFrom(folder.Folder().c_str(), &missing)) << c.reported;
        EXPECT_EQ(std::string(missing.GetString()), NotFound(folder, c.reported));
        EXPECT_EQ(SkinImageAt(0), nullptr) << "images loaded before the failure are freed";
        EXPECT_EQ(GetSkinPatternBrush(24), nullptr);
    }
}

TEST_F(SkinTables, EachSlotDrawsItsOwnFileWhenFirstUsed)
{
    SkinFolder folder; // image id n is a 4 x 4 square of RGB(n, 0, 0), the last id of a name wins
    CString missing;
    ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
    for (int id = 0; id < kSkinImageCount; ++id) {
        int written = id;
        for (int other = id + 1; other < kSkinImageCount; ++other)
            if (std::string(SkinImageName(other)) == SkinImageName(id))
                written = other;
        Canvas canvas(4, 4);
        DrawSkinImage(canvas.dc(), id, 0, 0);
        EXPECT_TRUE(canvas.AllAre(RGB(written, 0, 0))) << SkinImageName(id);
    }
}

TEST_F(SkinTables, PngOfTheSameNameWinsOverBmp)
{
    SkinFolder folder;
    skintest::SaveSolid(folder.Path("group_btn") + ".png", 2, 2, RGB(0, 200, 0));
    CString missing;
    ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
    Canvas canvas(4, 4);
    DrawSkinImage(canvas.dc(), kSkinGroupBtn, 0, 0);
    EXPECT_EQ(canvas.At(1, 1), RGB(0, 200, 0));
    EXPECT_EQ(GetSkinImageSize(kSkinGroupBtn), CSize(2, 2));
}

TEST_F(SkinTables, IdsAndIndicesOutsideTheTablesDrawNothing)
{
    SkinFolder folder;
    CString missing;
    ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
    const CRect dst(0, 0, 8, 8);
    for (int id : {-1, kSkinImageCount, 1000, INT_MIN, INT_MAX}) {
        Canvas canvas(8, 8);
        DrawSkinImage(canvas.dc(), id, 0, 0);
        DrawSkinImageRect(canvas.dc(), id, dst, 0, 0);
        DrawSkinImagePart(canvas.dc(), id, 0, 0, 0, 0, 4, 4);
        TileSkinImage(canvas.dc(), id, dst);
        StretchSkinImage(canvas.dc(), id, dst);
        EXPECT_TRUE(canvas.AllAre(RGB(255, 255, 255))) << id;
        EXPECT_EQ(SkinImageAt(id), nullptr) << id;
        EXPECT_EQ(GetSkinImageSize(id), CSize(0, 0)) << id;
        EXPECT_EQ(GetSkinPatternBrush(id), nullptr) << id;
        EXPECT_EQ(SkinImageName(id), nullptr) << id;
    }
    for (int index : {-1, kSkinColorCount, INT_MIN, INT_MAX})
        EXPECT_EQ(SkinColorAt(index), 0u) << index;
}

TEST_F(SkinTables, EmptySlotsDrawNothingAndOnlyThreeImagesHaveBrushes)
{
    Canvas canvas(8, 8);
    DrawSkinImage(canvas.dc(), kSkinGroupBtn, 0, 0);
    TileSkinImage(canvas.dc(), kSkinGroupBtn, CRect(0, 0, 8, 8));
    EXPECT_TRUE(canvas.AllAre(RGB(255, 255, 255)));
    EXPECT_EQ(GetSkinImageSize(kSkinGroupBtn), CSize(0, 0));

    SkinFolder folder;
    CString missing;
    ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
    EXPECT_EQ(GetSkinPatternBrush(25), nullptr);
    EXPECT_EQ(GetSkinPatternBrush(0), nullptr);
    table.Free();
    table.Free();
    EXPECT_EQ(SkinImageAt(kSkinGroupBtn), nullptr);
}

TEST_F(SkinTables, ColoursWithFixedReaders)
{
    const struct {
        int index;
        COLORREF value;
    } cases[] = {{0, 0xFF00FF}, {11, 0x404040}, {36, 0}, {52, 0x3D3D3D}, {53, 0x979797}, {55, 0xE2E2E2}};
    for (const auto& c : cases)
        EXPECT_EQ(SkinColorAt(c.index), c.value) << c.index;
}

TEST_F(SkinTables, TilingRepeatsFromTheTopLeftAndCutsTheLastColumn)
{
    SkinFolder folder;
    // 10 x 4 with a marker column at x = 0: a rectangle 2.5 images wide shows it three times.
    skintest::SaveImage(folder.Path("view_top") + ".png", 10, 4,
                        [](int x, int) { return x == 0 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
    CString missing;
    ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
    Canvas canvas(30, 4);
    TileSkinImage(canvas.dc(), kSkinViewTop, CRect(0, 0, 25, 4));
    for (int x = 0; x < 30; ++x) {
        const COLORREF expected = x >= 25 ? RGB(255, 255, 255) : x % 10 == 0 ? RGB(255, 0, 0) : RGB(0, 0, 255);
        EXPECT_EQ(canvas.At(x, 2), expected) << x;
    }
}

TEST_F(SkinTables, SkinBitmapStretchesColumnsToItsHeight)
{
    SkinFolder folder;
    skintest::SaveImage(folder.Path("navi_bg") + ".png", 4, 2,
                        [](int, int y) { return y == 0 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
    CString missing;
    ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
    Canvas canvas(10, 8);
    std::unique_ptr<CBitmap> bitmap(CreateSkinBitmap(canvas.dc(), kSkinNaviBg, CSize(10, 8)));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(GetBitmapSize(*bitmap), CSize(10, 8));
    CDC source;
    source.CreateCompatibleDC(canvas.dc());
    HGDIOBJ old = source.SelectObject(*bitmap);
    canvas.dc()->BitBlt(0, 0, 10, 8, &source, 0, 0, SRCCOPY);
    source.SelectObject(old);
    EXPECT_EQ(canvas.At(9, 0), RGB(255, 0, 0)) << "top half of the last, squeezed column";
    EXPECT_EQ(canvas.At(9, 7), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(2, 0), RGB(255, 0, 0)) << "every column holds the whole image";
    EXPECT_EQ(canvas.At(2, 7), RGB(0, 0, 255));
    EXPECT_EQ(CreateSkinBitmap(nullptr, kSkinImageCount, CSize(0, 0)), nullptr) << "no size, no bitmap";

    Canvas faces(12, 10);
    TileSkinImageH(faces.dc(), kSkinNaviBg, 0, 1, 10, 9);
    const struct {
        int x, y;
        COLORREF expected;
    } cases[] = {{0, 1, RGB(255, 0, 0)},    {9, 1, RGB(255, 0, 0)},      {5, 8, RGB(0, 0, 255)},
                 {9, 8, RGB(0, 0, 255)},    {10, 4, RGB(255, 255, 255)}, {4, 0, RGB(255, 255, 255)},
                 {4, 9, RGB(255, 255, 255)}};
    for (const auto& c : cases)
        EXPECT_EQ(faces.At(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(SkinTables, PatternBrushesPaintTheirImageAfterTheBitmapIsGone)
{
    SkinFolder folder;
    skintest::SaveImage(folder.Path("track_bar") + ".png", 4, 2,
                        [](int x, int y) { return (x + y) % 2 ? RGB(250, 0, 0) : RGB(0, 0, 250); });
    CString missing;
    ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
    CBrush* brush = GetSkinPatternBrush(kSkinTrackBar);
    ASSERT_NE(brush, nullptr);
    Canvas canvas(8, 4);
    canvas.dc()->FillRect(CRect(0, 0, 8, 4), *brush);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(canvas.At(x, y), (x + y) % 2 ? RGB(250, 0, 0) : RGB(0, 0, 250)) << x << "," << y;
}
