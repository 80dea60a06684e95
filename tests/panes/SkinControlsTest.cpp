#include <gtest/gtest.h>

#include "MemoryDC.h"
#include "SkinFixture.h"
#include "TextProgressCtrl.h"

using skintest::Canvas;

TEST(MemoryDC, GivesABitmapOfTheClientSizeOrNothing)
{
    Canvas target(4, 4);
    const struct {
        CDC* target;
        CRect rect;
        bool made;
    } cases[] = {
        {target.dc(), CRect(0, 0, 30, 20), true},
        {target.dc(), CRect(0, 0, 0, 20), false},
        {target.dc(), CRect(0, 0, 30, 0), false},
        {nullptr, CRect(0, 0, 30, 20), false},
    };
    for (const auto& c : cases) {
        MemoryDC buffer;
        CDC* dc = buffer.Create(c.target, c.rect);
        EXPECT_EQ(dc != nullptr, c.made) << c.rect.right << "x" << c.rect.bottom;
        if (dc) {
            EXPECT_EQ(GetBitmapSize((HBITMAP)GetCurrentObject(*dc, OBJ_BITMAP)), CSize(30, 20));
        }
    }
}

TEST(MemoryDC, WhatIsDrawnCopiesToTheTarget)
{
    Canvas target(10, 10);
    MemoryDC buffer;
    CDC* dc = buffer.Create(target.dc(), CRect(0, 0, 10, 10));
    ASSERT_NE(dc, nullptr);
    dc->FillSolidRect(CRect(0, 0, 10, 10), RGB(10, 20, 30));
    target.dc()->BitBlt(2, 2, 3, 3, dc, 2, 2, SRCCOPY);
    EXPECT_EQ(target.At(3, 3), RGB(10, 20, 30));
    EXPECT_EQ(target.At(6, 6), RGB(255, 255, 255)) << "only the damaged rectangle is copied";
}

namespace {

class TextProgress : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP, CRect(0, 0, 300, 100), nullptr, 0));
        ASSERT_TRUE(bar.Create("Loading", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 24), &parent, 7));
        bar.GetClientRect(&client);
    }
    void TearDown() override { parent.DestroyWindow(); }

    CWnd parent;
    CTextProgressCtrl bar;
    CRect client;
};

} // namespace

TEST_F(TextProgress, SplitsTheBarInTwoColoursAtItsPosition)
{
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
    const struct {
        int lower, upper, position;
    } cases[] = {{0, 100, 50}, {0, 100, 0}, {0, 100, 100}, {0, 100, 25}, {-50, 50, 0}, {10, 20, 15}};
    for (const auto& c : cases) {
        bar.SetRange(c.lower, c.upper);
        bar.SetPos(c.position);
        Canvas canvas(client.Width(), client.Height());
        bar.Render(canvas.dc(), client);
        const int split = CTextProgressCtrl::SplitPoint(c.position, c.lower, c.upper, client.Width());
        EXPECT_EQ(split, int(double(c.position - c.lower) / (c.upper - c.lower) * client.Width()));
        // The bottom row holds no text.
        const int y = client.Height() - 1;
        for (int x = 0; x < client.Width(); ++x)
            ASSERT_EQ(canvas.At(x, y), x < split ? highlight : face) << x << " at " << c.position;
    }
}

TEST_F(TextProgress, TextOverTheBarIsInverted)
{
    bar.SetPos(50);
    Canvas canvas(client.Width(), client.Height());
    bar.Render(canvas.dc(), client);
    const int split = client.Width() / 2;
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT), buttonText = GetSysColor(COLOR_BTNTEXT);
    int doneText = 0, restText = 0, wrong = 0;
    for (int y = 0; y < client.Height(); ++y)
        for (int x = 0; x < client.Width(); ++x) {
            const COLORREF c = canvas.At(x, y);
            if (c == highlightText)
                (x < split ? doneText : wrong)++;
            if (c == buttonText)
                (x >= split ? restText : wrong)++;
        }
    EXPECT_GT(doneText, 0);
    EXPECT_GT(restText, 0);
    EXPECT_EQ(wrong, 0);
}

TEST_F(TextProgress, SetPosReturnsThePreviousPosition)
{
    EXPECT_EQ(bar.SetPos(30), 0);
    EXPECT_EQ(bar.SetPos(60), 30);
    EXPECT_EQ(CTextProgressCtrl::SplitPoint(5, 7, 7, 100), 0) << "an empty range splits at the left";
}
