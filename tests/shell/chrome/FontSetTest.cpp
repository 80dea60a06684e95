#include <gtest/gtest.h>

#include "FontSet.h"
#include "SkinFixture.h"

using skintest::Canvas;

namespace {

// A strip of 15 glyphs, 4 x 5 pixels each, every glyph a solid colour of its own.
COLORREF GlyphColor(int index)
{
    return RGB(10 + 15 * index, 100, 200);
}

class DigitStrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        skintest::SaveImage(folder.Path("ctrl_num_big") + ".png", 4 * 15, 5,
                            [](int x, int) { return GlyphColor(x / 4); });
        CString missing;
        ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
    }
    void TearDown() override { table.Free(); }

    // The glyph indices drawn at steps of 4 pixels from x = 0 (-1: nothing there).
    std::vector<int> Drawn(Canvas& canvas, int count)
    {
        std::vector<int> indices;
        for (int i = 0; i < count; ++i) {
            const COLORREF c = canvas.At(4 * i + 1, 2);
            int found = -1;
            for (int g = 0; g < 15; ++g)
                if (c == GlyphColor(g))
                    found = g;
            indices.push_back(found);
        }
        return indices;
    }

    GdiplusSession gdiplus;
    skintest::SkinFolder folder;
    CSkinImageTable table;
};

} // namespace

TEST_F(DigitStrip, DrawsEachCharacterAtStepsOfTheGlyphWidth)
{
    const struct {
        int glyphCount;
        const char* text;
        std::vector<int> drawn;
    } cases[] = {
        {13, "12:34.5", {1, 2, 10, 3, 4, 11, 5}},
        {13, "-9 ;", {-1, 9, 12, -1}}, // '-' (14) and ';' (13) lie beyond a 13-glyph strip
        {15, "-9 ;", {14, 9, 12, 13}},
        {15, "0A/", {0, -1, -1}}, // other characters fall outside the strip
    };
    for (const auto& c : cases) {
        DigitFont digits;
        digits.SetImage(kSkinCtrlNumBig, 4, 5, c.glyphCount);
        Canvas canvas(40, 5);
        digits.DrawText(canvas.dc(), 0, 0, c.text);
        EXPECT_EQ(Drawn(canvas, int(c.drawn.size())), c.drawn) << c.text;
    }
}

TEST(FontTable, NineFontsAfterCreateAllAndNoneOutsideTheTable)
{
    FontSet fonts;
    EXPECT_TRUE(fonts.CreateAll());
    for (int n = 0; n < FontSet::kFontCount; ++n)
        EXPECT_NE(FontSet::Get(n), nullptr) << n;
    EXPECT_EQ(FontSet::Get(-1), nullptr);
    EXPECT_EQ(FontSet::Get(FontSet::kFontCount), nullptr);
    LOGFONTA bold = {};
    FontSet::Get(4)->GetLogFont(&bold);
    EXPECT_EQ(bold.lfHeight, 20);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_STREQ(bold.lfFaceName, "Arial");
}
