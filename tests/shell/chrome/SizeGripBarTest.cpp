// The size-grip strip shows its grip only while the view's frame is not maximised.
#include <gtest/gtest.h>

#include "ChromeTestSupport.h"
#include "SizeGripBar.h"

using skintest::Canvas;

TEST(SizeGripBarTest, GripGoesWhileTheFrameIsMaximised)
{
    CWnd frame, view;
    ASSERT_TRUE(
        frame.CreateEx(0, nullptr, "Frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    ASSERT_TRUE(view.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 300, 200), &frame, 1));
    SizeGripBar strip;
    ASSERT_TRUE(strip.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 180, 300, 196), &view, 2));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto gripPixels = [&] {
        Canvas canvas(300, 16);
        strip.Render(canvas.dc(), CRect(0, 0, 300, 16));
        int count = 0;
        for (int y = 1; y < 16; ++y)
            for (int x = 284; x < 300; ++x)
                if (canvas.At(x, y) != face)
                    ++count;
        EXPECT_EQ(canvas.At(150, 0), GetSysColor(COLOR_3DHILIGHT));
        EXPECT_EQ(canvas.At(150, 8), face);
        return count;
    };
    EXPECT_GT(gripPixels(), 0);
    frame.ShowWindow(SW_MAXIMIZE);
    EXPECT_EQ(gripPixels(), 0);
    frame.ShowWindow(SW_RESTORE);
    EXPECT_GT(gripPixels(), 0);
}
