#include <gtest/gtest.h>

#include "GraphicEqParams.h"
#include "SkinSlider.h"

#include <windows.h>

#include <vector>

using geq::SkinSlider;

namespace {

// A shown parent window with one placeholder child that the slider takes over.
class SliderHost {
public:
    SliderHost(bool vertical)
    {
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 300, 300, nullptr, nullptr,
                                   nullptr, nullptr);
        m_child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_NOTIFY, 20, 20,
                                  vertical ? 40 : 220, vertical ? 220 : 40, m_parent, nullptr, nullptr, nullptr);
        slider.Attach(m_child);
        slider.SetRange(-600, 200);
        slider.SetDefault(0);
        slider.SetStep(1);
        slider.SetVertical(vertical);
        slider.SetStyle(SkinSlider::kStyleTicks);
        slider.SetTicks(9);
        slider.SetValue(0);
        TakeScrolls();
    }
    ~SliderHost()
    {
        slider.Detach();
        DestroyWindow(m_parent);
    }
    HWND Child() const { return m_child; }
    // The WM_HSCROLL wParams the slider posted to its parent since the last call.
    std::vector<WPARAM> TakeScrolls()
    {
        std::vector<WPARAM> got;
        MSG msg;
        while (PeekMessageW(&msg, m_parent, WM_HSCROLL, WM_HSCROLL, PM_REMOVE)) {
            EXPECT_EQ(reinterpret_cast<HWND>(msg.lParam), m_child);
            got.push_back(msg.wParam);
        }
        return got;
    }
    LPARAM Point(POINT p) const { return MAKELPARAM(p.x, p.y); }

    SkinSlider slider{geq::ModuleInstance()};

private:
    HWND m_parent = nullptr;
    HWND m_child = nullptr;
};

WPARAM Scroll(int position, int code)
{
    return WPARAM((unsigned(position) << 16) | unsigned(code));
}

} // namespace

TEST(SkinSlider, AttachRefusesNonWindowsAndTakenWindows)
{
    SkinSlider a(nullptr), b(nullptr);
    EXPECT_FALSE(a.Attach(nullptr));
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(a.Attach(w));
    EXPECT_FALSE(b.Attach(w));
    a.Detach();
    EXPECT_EQ(GetWindowLongPtrW(w, GWLP_USERDATA), 0);
    EXPECT_TRUE(b.Attach(w));
    b.Detach();
    DestroyWindow(w);
}

TEST(SkinSlider, ValueAndPositionMapWithTheTopAsMaximum)
{
    SliderHost host(true);
    SkinSlider& s = host.slider;
    ASSERT_GT(s.TrackLength(), 100);
    s.SetValue(200);
    EXPECT_EQ(s.Position(), 0);
    s.SetValue(-600);
    EXPECT_EQ(s.Position(), s.TrackLength());
    s.SetValue(5000);
    EXPECT_EQ(s.GetValue(), 200.0);
    s.SetPosition(s.TrackLength() / 2);
    EXPECT_NEAR(s.GetValue(), -200.0, 800.0 / s.TrackLength());
    // Nine ticks: the track is a whole number of tick spacings long.
    EXPECT_EQ(s.TrackLength() % 8, 0);
    EXPECT_FALSE(s.SetTicks(1));
}

TEST(SkinSlider, TrackClicksSnapToTicksOnlyWhenHorizontal)
{
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        SliderHost host(vertical);
        SkinSlider& s = host.slider;
        s.SetValue(vertical ? 200 : -600); // thumb at the track's start, out of the way
        const int spacing = s.TrackLength() / 8;
        const int offset = 5 * spacing + spacing / 3; // nearer tick 5 than tick 6
        SendMessageW(host.Child(), WM_LBUTTONDOWN, MK_LBUTTON, host.Point(s.PointAt(offset)));
        SendMessageW(host.Child(), WM_LBUTTONUP, 0, host.Point(s.PointAt(offset)));
        const int expected = vertical ? offset : 5 * spacing;
        EXPECT_EQ(s.Position(), expected);
        EXPECT_EQ(host.TakeScrolls(), (std::vector<WPARAM>{Scroll(expected, SkinSlider::kCodeClick)}));
    }
}

TEST(SkinSlider, KeysStepTheValueWithinTheRange)
{
    SliderHost host(true);
    SkinSlider& s = host.slider;
    s.SetValue(198);
    for (int i = 0; i < 3; ++i)
        SendMessageW(host.Child(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(s.GetValue(), 200.0);
    EXPECT_EQ(host.TakeScrolls().size(), 3u);
    SendMessageW(host.Child(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(s.GetValue(), 199.0);
    SendMessageW(host.Child(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
    EXPECT_EQ(s.GetValue(), 198.0);
    SendMessageW(host.Child(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(s.GetValue(), 0.0);
    const auto scrolls = host.TakeScrolls();
    ASSERT_EQ(scrolls.size(), 3u);
    EXPECT_EQ(LOWORD(scrolls[0]), VK_DOWN);
    EXPECT_EQ(LOWORD(scrolls[1]), VK_DOWN);
    EXPECT_EQ(LOWORD(scrolls[2]), VK_HOME);

    // Without a step the keys move by a pixel.
    s.SetStep(0);
    s.SetPosition(10);
    SendMessageW(host.Child(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(s.Position(), 9);
    SendMessageW(host.Child(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(s.Position(), 10);
    EXPECT_TRUE(SendMessageW(host.Child(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
}

TEST(SkinSlider, RightClickReleasedInsideResetsToTheDefault)
{
    SliderHost host(true);
    SkinSlider& s = host.slider;
    s.SetValue(100);
    SendMessageW(host.Child(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(host.Child(), WM_RBUTTONUP, 0, MAKELPARAM(-20, 5)); // outside: nothing
    EXPECT_EQ(s.GetValue(), 100.0);
    EXPECT_TRUE(host.TakeScrolls().empty());
    SendMessageW(host.Child(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(host.Child(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(s.GetValue(), 0.0);
    EXPECT_EQ(host.TakeScrolls(), (std::vector<WPARAM>{Scroll(s.Position(), SkinSlider::kCodeClick)}));
}

TEST(SkinSlider, DraggingTheThumbFollowsThePointerAndEscapePutsItBack)
{
    SliderHost host(true);
    SkinSlider& s = host.slider;
    const int start = s.Position();
    const POINT thumb = s.PointAt(start);
    const POINT moved = s.PointAt(start + 30);

    // The drag loop takes its messages from the queue: a move, then Escape.
    PostMessageW(host.Child(), WM_MOUSEMOVE, MK_LBUTTON, host.Point(moved));
    PostMessageW(host.Child(), WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(host.Child(), WM_LBUTTONDOWN, MK_LBUTTON, host.Point(thumb));
    EXPECT_EQ(s.Position(), start);
    EXPECT_EQ(host.TakeScrolls(),
              (std::vector<WPARAM>{Scroll(start + 30, SkinSlider::kCodeDrag), Scroll(start, SkinSlider::kCodeDrag)}));

    PostMessageW(host.Child(), WM_MOUSEMOVE, MK_LBUTTON, host.Point(moved));
    PostMessageW(host.Child(), WM_LBUTTONUP, 0, host.Point(moved));
    SendMessageW(host.Child(), WM_LBUTTONDOWN, MK_LBUTTON, host.Point(thumb));
    EXPECT_EQ(s.Position(), start + 30);
    EXPECT_EQ(GetCapture(), nullptr);
    UpdateWindow(host.Child()); // paints without images or with them, whichever are present
}

TEST(SkinSlider, QuitDuringADragEndsItAndStaysQueuedForTheProgramsLoop)
{
    SliderHost host(true);
    SkinSlider& s = host.slider;
    const int start = s.Position();
    PostQuitMessage(7);
    SendMessageW(host.Child(), WM_LBUTTONDOWN, MK_LBUTTON, host.Point(s.PointAt(start)));
    EXPECT_EQ(GetCapture(), nullptr);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, WPARAM(7));
}

TEST(SkinSlider, ATrackClickReleasedAwayFromTheThumbLeavesItWhereTheParentWasTold)
{
    struct Case {
        const char* name;
        bool vertical;
        int pressPercent;   // along the track
        int releasePercent; // along the track; -1: beside the slider, outside its window
    } cases[] = {
        {"vertical, released further down", true, 40, 80},  {"vertical, released further up", true, 80, 30},
        {"horizontal, released further on", false, 30, 70}, {"vertical, released where pressed", true, 50, 50},
        {"vertical, released outside", true, 50, -1},       {"horizontal, released outside", false, 50, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SliderHost host(c.vertical);
        SkinSlider& s = host.slider;
        s.SetValue(c.vertical ? 200 : -600); // thumb at the track's start, away from the clicks
        host.TakeScrolls();
        const POINT press = s.PointAt(s.TrackLength() * c.pressPercent / 100);
        POINT release = c.releasePercent < 0 ? POINT{-30, -30} : s.PointAt(s.TrackLength() * c.releasePercent / 100);
        SendMessageW(host.Child(), WM_LBUTTONDOWN, MK_LBUTTON, host.Point(press));
        const int pressed = s.Position();
        SendMessageW(host.Child(), WM_MOUSEMOVE, MK_LBUTTON, host.Point(release));
        SendMessageW(host.Child(), WM_LBUTTONUP, 0, host.Point(release));
        EXPECT_EQ(GetCapture(), nullptr);

        const auto scrolls = host.TakeScrolls();
        ASSERT_FALSE(scrolls.empty());
        EXPECT_EQ(int(HIWORD(scrolls.back())), s.Position()); // what the parent holds
        EXPECT_EQ(LOWORD(scrolls.back()), SkinSlider::kCodeClick);
        if (c.releasePercent < 0 || c.releasePercent == c.pressPercent) {
            EXPECT_EQ(s.Position(), pressed);
            EXPECT_EQ(scrolls.size(), 1u);
        } else {
            EXPECT_NE(s.Position(), pressed);
            EXPECT_NEAR(s.Position(), s.TrackLength() * c.releasePercent / 100, c.vertical ? 0 : s.TrackLength() / 8);
        }
    }
}
