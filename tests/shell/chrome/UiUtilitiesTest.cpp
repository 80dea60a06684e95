#include <gtest/gtest.h>

#include "UiUtilities.h"

TEST(PlaceWindowNear, StaysInsideTheWorkArea)
{
    const RECT work = {0, 0, 1000, 700};
    const struct {
        POINT cursor;
        SIZE window;
        POINT expected;
    } cases[] = {
        {{100, 100}, {200, 150}, {100, 100}},
        {{900, 650}, {200, 150}, {800, 550}}, // moved left and up to end at the edges
        {{500, 20}, {1200, 900}, {0, 0}},     // larger than the work area: its top-left corner
        {{-50, -20}, {100, 100}, {0, 0}},
    };
    for (const auto& c : cases) {
        const POINT p = PlaceWindowNear(c.cursor, c.window, work);
        EXPECT_EQ(p.x, c.expected.x) << c.cursor.x;
        EXPECT_EQ(p.y, c.expected.y) << c.cursor.y;
    }
}

namespace {

class ChildrenInRect : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, CRect(100, 100, 400, 300),
                                    nullptr, 0));
        // Client coordinates of the popup equal screen coordinates less (100, 100).
        inside = Child(200, CRect(10, 10, 50, 30));
        flush = Child(201, CRect(60, 10, 100, 30));    // touches the rectangle's right edge
        sticking = Child(202, CRect(60, 40, 101, 60)); // one pixel beyond it
        okButton = Child(IDOK, CRect(10, 40, 50, 60));
    }
    void TearDown() override { dialog.DestroyWindow(); }

    HWND Child(int id, const CRect& r)
    {
        return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, r.left, r.top, r.Width(), r.Height(),
                               dialog.m_hWnd, (HMENU)(INT_PTR)id, nullptr, nullptr);
    }
    // The screen rectangle 110..210 x 110..200.
    static constexpr int L = 110, T = 110, R = 200, B = 200;

    CWnd dialog;
    HWND inside = nullptr, flush = nullptr, sticking = nullptr, okButton = nullptr;
};

} // namespace

TEST_F(ChildrenInRect, OnlyChildrenWhollyInsideChange)
{
    EnableChildrenInRect(&dialog, FALSE, L, T, R, B);
    EXPECT_FALSE(IsWindowEnabled(inside));
    EXPECT_FALSE(IsWindowEnabled(flush));
    EXPECT_TRUE(IsWindowEnabled(sticking));
    EXPECT_TRUE(IsWindowEnabled(okButton)) << "standard dialog buttons are left alone";

    EnableChildrenInRectAlt(&dialog, FALSE, L, T, R, B);
    EXPECT_FALSE(IsWindowEnabled(okButton));
    EnableChildrenInRectAlt(&dialog, TRUE, 0, 0, 0, 0); // empty: the whole window
    for (HWND child : {inside, flush, sticking, okButton})
        EXPECT_TRUE(IsWindowEnabled(child));

    ShowChildrenInRect(&dialog, FALSE, L, T, R, B);
    EXPECT_FALSE(IsWindowVisible(inside));
    EXPECT_TRUE(IsWindowVisible(sticking));
    EXPECT_TRUE(IsWindowVisible(okButton));
}
