// The skinned mini frame driven by posted mouse messages, as the system delivers them.
#include <gtest/gtest.h>

#include "ChromeTestSupport.h"
#include "FontSet.h"
#include "NyMiniFrame.h"

using namespace chrometest;

namespace {

// The frame's pane; counts its paints.
class CountingPane : public CWnd {
public:
    int paints = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PAINT)
            ++paints;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// A pane and a frame that both handle command 1234.
class CommandPane : public CWnd {
public:
    int handled = 0;
    void OnCommand1234() { ++handled; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CommandPane, CWnd)
    ON_COMMAND(1234, OnCommand1234)
END_MESSAGE_MAP()

class CommandFrame : public CNyMiniFrame {
public:
    int handled = 0;
    void OnCommand1234() { ++handled; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CommandFrame, CNyMiniFrame)
    ON_COMMAND(1234, OnCommand1234)
END_MESSAGE_MAP()

class MiniFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitSkinColors();
        fonts.CreateAll();
        path = WriteCaptionImage(folder);
        frame = new CNyMiniFrame;
        ASSERT_TRUE(frame->Create(nullptr, "Markers", WS_POPUP | WS_THICKFRAME, CRect(100, 100, 300, 200)));
        frame->InitCaption(kCaptionFlagClose | kCaptionFlagRollUp);
        frame->GetCaptionHelper()->InitFromPath(path.c_str(), kCaptionFlagClose | kCaptionFlagRollUp);
        pane = new CountingPane;
        ASSERT_TRUE(pane->Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 392, 272), frame, 1));
        frame->SetPane(pane); // 392 x 272 plus the margins: 400 x 300
        frame->ShowWindow(SW_SHOW);
        hwnd = frame->m_hWnd;
        Pump();
    }
    void TearDown() override
    {
        if (IsWindow(hwnd))
            frame->DestroyWindow();
        delete pane;
    }
    POINT At(int x, int y) const
    {
        RECT r = WindowRect(hwnd);
        return {r.left + x, r.top + y};
    }
    SIZE Size() const
    {
        RECT r = WindowRect(hwnd);
        return {r.right - r.left, r.bottom - r.top};
    }

    GdiplusSession gdiplus;
    FontSet fonts;
    kvtest::ScratchFolder folder;
    std::string path;
    CNyMiniFrame* frame = nullptr;
    CountingPane* pane = nullptr;
    HWND hwnd = nullptr;
};

} // namespace

TEST_F(MiniFrameTest, PaneIsSizedIntoTheSkinnedBordersAndPaints)
{
    EXPECT_GT(pane->paints, 0) << "the frame's own paint must leave the pane's update alone";
    EXPECT_EQ(Size().cx, 400);
    EXPECT_EQ(Size().cy, 300);
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 392);
    EXPECT_EQ(client.bottom, 272);
}

TEST_F(MiniFrameTest, DraggingTheCaptionMovesTheFrame)
{
    POINT press = At(150, 12);
    EXPECT_EQ(PressNonClient(hwnd, press), HTCAPTION);
    MoveCaptured(hwnd, {press.x + 30, press.y + 40});
    MoveCaptured(hwnd, {press.x + 55, press.y - 20});
    ReleaseCaptured(hwnd, {press.x + 55, press.y - 20});
    RECT r = WindowRect(hwnd);
    EXPECT_EQ(r.left, 155);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(Size().cx, 400);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MiniFrameTest, SizingFromACornerStaysWithinTheLimits)
{
    frame->SetSizeLimits(150, -100, 500, 400);
    const struct {
        int dx, dy;
        LONG left, top, width, height;
    } moves[] = {
        {50, 20, 100, 100, 450, 320},       // the bottom-right corner follows the mouse
        {1000, 1000, 100, 100, 500, 400},   // up to the maximum
        {-1000, -1000, 100, 100, 150, 100}, // down to the minimum (the height's sign only stops the top edge)
    };
    POINT press = At(399, 299);
    EXPECT_EQ(PressNonClient(hwnd, press), HTBOTTOMRIGHT);
    for (const auto& m : moves) {
        MoveCaptured(hwnd, {press.x + m.dx, press.y + m.dy});
        RECT r = WindowRect(hwnd);
        EXPECT_EQ(r.left, m.left) << m.dx;
        EXPECT_EQ(r.top, m.top) << m.dx;
        EXPECT_EQ(r.right - r.left, m.width) << m.dx;
        EXPECT_EQ(r.bottom - r.top, m.height) << m.dx;
    }
    ReleaseCaptured(hwnd, {press.x - 1000, press.y - 1000});

    // From the top-left corner the opposite corner stays put.
    frame->SetSizeLimits(150, 100, 500, 400);
    RECT before = WindowRect(hwnd);
    press = At(0, 0);
    EXPECT_EQ(PressNonClient(hwnd, press), HTTOPLEFT);
    MoveCaptured(hwnd, {press.x - 40, press.y - 30});
    ReleaseCaptured(hwnd, {press.x - 40, press.y - 30});
    RECT after = WindowRect(hwnd);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
    EXPECT_EQ(after.left, before.left - 40);
    EXPECT_EQ(after.top, before.top - 30);
}

TEST_F(MiniFrameTest, RollingUpAndDownTwiceRestoresTheSizeExactly)
{
    frame->SetSizeLimits(128, 128, 1000, 1000);
    const SIZE original = Size();
    for (int round = 0; round < 2; ++round) {
        // Once by the roll-up button, once by a double click on the caption.
        if (round == 0) {
            POINT button = At(400 - 4 - 18 - 18 + 3, 10);
            PressNonClient(hwnd, button);
            ReleaseCaptured(hwnd, button);
        } else {
            SendMessageA(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, ScreenParam(At(150, 12)));
        }
        EXPECT_TRUE(frame->IsRolledUp()) << round;
        EXPECT_EQ(Size().cy, 24) << round;
        EXPECT_EQ(Size().cx, original.cx) << round;
        EXPECT_FALSE(pane->IsWindowVisible()) << round;
        // Rolled up it answers to no border sizing.
        EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, ScreenParam(At(399, 23))), HTCAPTION) << round;

        SendMessageA(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, ScreenParam(At(150, 12)));
        EXPECT_FALSE(frame->IsRolledUp()) << round;
        EXPECT_EQ(Size().cx, original.cx) << round;
        EXPECT_EQ(Size().cy, original.cy) << round;
        EXPECT_TRUE(pane->IsWindowVisible()) << round;
    }
    // Rolled up, the frame cannot be sized taller than its caption.
    frame->SetRolledUp(TRUE);
    MINMAXINFO info = {};
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(info.ptMinTrackSize.y, 24);
    EXPECT_EQ(info.ptMaxTrackSize.y, 24);
    frame->SetRolledUp(FALSE);
    EXPECT_EQ(Size().cy, original.cy);
}

TEST_F(MiniFrameTest, CloseActsOnlyWhenReleasedOnTheButton)
{
    POINT close = At(385, 10);
    EXPECT_EQ(PressNonClient(hwnd, close), HTCLOSE);
    EXPECT_EQ(frame->GetCaptionHelper()->GetPressedCode(), kCaptionClose);
    POINT away = At(150, 12);
    MoveCaptured(hwnd, away);
    ReleaseCaptured(hwnd, away);
    MSG pending;
    EXPECT_FALSE(PeekMessageA(&pending, hwnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetCapture(), nullptr);

    PressNonClient(hwnd, close);
    ReleaseCaptured(hwnd, close);
    // Closing only hides the frame.
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(MiniFrameTest, SavedPlacementIsStretchedToTheMinimum)
{
    const struct {
        int minW, minH, maxW, maxH;
        RECT saved;
        RECT expected;
    } cases[] = {
        {200, 150, 1000, 1000, {50, 60, 150, 110}, {50, 60, 250, 210}},
        {200, 150, 1000, 1000, {50, 60, 450, 360}, {50, 60, 450, 360}},
        {200, 120, 1000, 120, {50, 60, 450, 360}, {50, 60, 450, 180}},
    };
    for (const auto& c : cases) {
        frame->SetSizeLimits(c.minW, c.minH, c.maxW, c.maxH);
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        placement.showCmd = SW_SHOWNORMAL;
        placement.rcNormalPosition = c.saved;
        frame->ShowPane(&placement, FALSE);
        RECT r = WindowRect(hwnd);
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(MiniFrameCommands, ThePaneHandlesACommandBeforeTheFrame)
{
    auto* frame = new CommandFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Pane", WS_POPUP, CRect(0, 0, 200, 100)));
    CommandPane pane;
    ASSERT_TRUE(pane.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 100, 50), frame, 1));
    frame->SetPane(&pane);
    EXPECT_TRUE(frame->RouteCommand(1234));
    EXPECT_EQ(pane.handled, 1);
    EXPECT_EQ(frame->handled, 0);
    pane.DestroyWindow();
    EXPECT_TRUE(frame->RouteCommand(1234));
    EXPECT_EQ(frame->handled, 1);
    // Closing only hides the frame.
    frame->ShowWindow(SW_SHOW);
    frame->SendMessage(WM_CLOSE);
    EXPECT_TRUE(IsWindow(frame->m_hWnd));
    EXPECT_FALSE(frame->IsWindowVisible());
    frame->DestroyWindow();
}
