// The 64-bit scroll bar: ranges scaled into the 32-bit control and read back.
#include <gtest/gtest.h>

#include "ScrollBar64.h"

#include <cstdint>

TEST(ScrollBar64, RangesAreShiftedIntoTheControlAndReadBack)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Time", WS_POPUP, CRect(0, 0, 400, 50), nullptr, 0));
    const int64_t k2to31 = int64_t(1) << 31, k2to35 = int64_t(1) << 35, k2to40 = int64_t(1) << 40;
    const struct {
        const char* name;
        int64_t minimum, maximum, position;
        int shift;
        int controlMin, controlMax;
        int64_t positionBack;
    } cases[] = {
        {"fits 31 bits", 0, k2to31 - 1, 123456789, 0, 0, 0x7FFFFFFF, 123456789},
        {"2^40", 0, k2to40, 5000, 10, 0, 1 << 30, 4096},
        {"both signs", -k2to35, k2to35, -(k2to35 / 2), 5, -(1 << 30), 1 << 30, -(k2to35 / 2)},
        {"uneven ends read back exactly", -k2to35 - 3, k2to40 + 1023, 0, 10, -(1 << 25), 1 << 30, 0},
    };
    for (const auto& c : cases) {
        CScrollBar64 bar;
        ASSERT_TRUE(bar.Create(WS_VISIBLE | SBS_HORZ, CRect(0, 0, 400, 16), &parent, 1));
        ScrollInfo64 info = {sizeof info, SIF_RANGE | SIF_POS, c.minimum, c.maximum, 0, c.position, 0};
        EXPECT_TRUE(bar.SetScrollInfo64(&info, TRUE)) << c.name;
        EXPECT_EQ(bar.GetShift(), c.shift) << c.name;
        SCROLLINFO control = {};
        control.cbSize = sizeof control;
        control.fMask = SIF_RANGE;
        ASSERT_TRUE(GetScrollInfo(bar.m_hWnd, SB_CTL, &control));
        EXPECT_EQ(control.nMin, c.controlMin) << c.name;
        EXPECT_EQ(control.nMax, c.controlMax) << c.name;

        ScrollInfo64 back = {};
        back.size = sizeof back;
        ASSERT_TRUE(bar.GetScrollPos64(&back, SIF_RANGE | SIF_POS));
        EXPECT_EQ(back.minimum, c.minimum) << c.name;
        EXPECT_EQ(back.maximum, c.maximum) << c.name;
        EXPECT_EQ(back.position, c.positionBack) << c.name;

        // A later position alone keeps the shift of the range.
        ScrollInfo64 position = {sizeof position, SIF_POS, 0, 0, 0, int64_t(3) << c.shift, 0};
        bar.SetScrollInfo64(&position, TRUE);
        EXPECT_EQ(bar.GetShift(), c.shift) << c.name;
        ASSERT_TRUE(bar.GetScrollPos64(&back, SIF_POS));
        EXPECT_EQ(back.position, int64_t(3) << c.shift) << c.name;
    }
}

namespace {

// The arrows as the control shows them, in EnableScrollBar's terms, and whether its window is on.
struct BarState {
    UINT arrows;
    bool windowOn;
};

BarState StateOf(HWND bar)
{
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetScrollBarInfo(bar, OBJID_CLIENT, &info));
    UINT arrows = ESB_ENABLE_BOTH;
    if (info.rgstate[1] & STATE_SYSTEM_UNAVAILABLE)
        arrows |= ESB_DISABLE_LTUP;
    if (info.rgstate[5] & STATE_SYSTEM_UNAVAILABLE)
        arrows |= ESB_DISABLE_RTDN;
    return {arrows, IsWindowEnabled(bar) != FALSE};
}

} // namespace

TEST(ScrollBar64, EnablingEndsInTheAskedStateFromEveryStateAndAsksNothingOfABarAlreadyThere)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Time", WS_POPUP, CRect(0, 0, 400, 50), nullptr, 0));
    const UINT states[] = {ESB_ENABLE_BOTH, ESB_DISABLE_LTUP, ESB_DISABLE_RTDN, ESB_DISABLE_BOTH};
    for (UINT from : states) {
        for (UINT asked : states) {
            CScrollBar64 bar;
            ASSERT_TRUE(bar.Create(WS_VISIBLE | SBS_HORZ, CRect(0, 0, 400, 16), &parent, 1));
            ScrollInfo64 info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 100, 10, 0};
            bar.SetScrollInfo64(&info, TRUE);
            EnableScrollBar(bar.m_hWnd, SB_CTL, from);
            EXPECT_EQ(bar.EnableScrollBar(asked) != FALSE, from != asked) << from << " to " << asked;
            const BarState now = StateOf(bar.m_hWnd);
            EXPECT_EQ(now.arrows, asked) << from << " to " << asked;
            // Going from both arrows off to one, the system leaves the window as it was.
            if (asked == ESB_ENABLE_BOTH || asked == ESB_DISABLE_BOTH) {
                EXPECT_EQ(now.windowOn, asked == ESB_ENABLE_BOTH) << from << " to " << asked;
            }
        }
    }

    // Disabled by others than itself: an empty range, and the window alone.
    CScrollBar64 bar;
    ASSERT_TRUE(bar.Create(WS_VISIBLE | SBS_HORZ, CRect(0, 0, 400, 16), &parent, 1));
    ScrollInfo64 empty = {sizeof empty, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 0, 100, 0, 0};
    bar.SetScrollInfo64(&empty, TRUE);
    bar.EnableScrollBar(ESB_ENABLE_BOTH);
    EXPECT_EQ(StateOf(bar.m_hWnd).arrows, UINT(ESB_ENABLE_BOTH));
    EXPECT_TRUE(StateOf(bar.m_hWnd).windowOn);
    EnableWindow(bar.m_hWnd, FALSE);
    bar.EnableScrollBar(ESB_ENABLE_BOTH);
    EXPECT_TRUE(StateOf(bar.m_hWnd).windowOn);
}
