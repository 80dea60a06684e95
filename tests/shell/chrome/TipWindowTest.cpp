// The program's own tool tips, driven by relayed mouse and key messages on real windows.
#include <gtest/gtest.h>

#include "ChromeTestSupport.h"
#include "TipWindow.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

using namespace chrometest;

namespace {

// Long enough for a tip's timers on a busy machine; it only runs out when a test fails.
const DWORD kPatience = 10000;

// Pumps messages until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = kPatience)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds)
            return false;
        Pump();
        Sleep(10);
    }
    return true;
}

MSG Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg = {};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

class TipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(100, 100, 300, 200), nullptr, 0));
        tip.reset(CreateTipWindow(&owner, 0, 0));
        ASSERT_TRUE(tip);
        tip->AddTool("Loop", CRect(10, 10, 60, 40), 1);
        tip->AddTool("Line one\r\nLine two", CRect(100, 10, 150, 40), 2);
    }
    void TearDown() override { tip.reset(); }

    // The cursor moves to the owner's window point, and the owner relays the move.
    void MoveTo(CWnd& window, TipWindow& relay, int x, int y)
    {
        RECT r = WindowRect(window.m_hWnd);
        POINT screen = {r.left + x, r.top + y};
        SetCursorPos(screen.x, screen.y);
        MSG msg = Message(window.m_hWnd, WM_MOUSEMOVE, 0, ClientParam(window.m_hWnd, screen));
        relay.RelayEvent(&window, &msg);
    }

    CWnd owner;
    std::unique_ptr<TipWindow> tip;
};

} // namespace

TEST_F(TipTest, RestingOnAToolShowsItsTextUntilTheCursorLeaves)
{
    MoveTo(owner, *tip, 20, 20);
    EXPECT_FALSE(tip->IsShown());
    ASSERT_TRUE(WaitFor([&] { return tip->IsShown(); }));
    EXPECT_STREQ(tip->GetTipText(), "Loop");
    EXPECT_EQ(TipWindow::GetVisibleTip(), tip.get());
    RECT r = WindowRect(tip->m_hWnd);
    // Below the cursor, the text plus 4 pixels on each side.
    EXPECT_GE(r.top, 100 + 20);
    EXPECT_GT(r.right - r.left, 8);

    MoveTo(owner, *tip, 80, 20); // between the tools
    EXPECT_FALSE(tip->IsShown());
    EXPECT_EQ(TipWindow::GetVisibleTip(), nullptr);
}

TEST_F(TipTest, KeysAndClicksHideTheTipAndMovingWithinAToolWaitsAgain)
{
    tip->SetDelay(0); // stays until something hides it
    MoveTo(owner, *tip, 20, 20);
    ASSERT_TRUE(WaitFor([&] { return tip->IsShown(); }));
    Sleep(300);
    Pump();
    EXPECT_TRUE(tip->IsShown());
    MSG key = Message(owner.m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(tip->RelayEvent(&owner, &key));
    EXPECT_FALSE(tip->IsShown());
    MSG other = Message(owner.m_hWnd, WM_PAINT, 0, 0);
    EXPECT_FALSE(tip->RelayEvent(&owner, &other));

    // The wait starts again at the second move: the tip comes no sooner than a whole wait after
    // it, not a whole wait after the first. Nothing is pumped in between, so a busy machine
    // cannot let the first wait end before the second move.
    MoveTo(owner, *tip, 21, 20);
    Sleep(300);
    const DWORD moved = GetTickCount(); // taken first: the wait cannot have begun before it
    MoveTo(owner, *tip, 22, 20);
    Pump();
    EXPECT_FALSE(tip->IsShown());
    ASSERT_TRUE(WaitFor([&] { return tip->IsShown(); }));
    // The tick count moves in steps of up to a timer tick.
    EXPECT_GE(GetTickCount() - moved, DWORD(TipWindow::kWaitMs - 16));
}

TEST_F(TipTest, DisplayTimeEndsTheTip)
{
    tip->SetDelay(200);
    MoveTo(owner, *tip, 110, 20);
    ASSERT_TRUE(WaitFor([&] { return tip->IsShown(); }));
    EXPECT_STREQ(tip->GetTipText(), "Line one\r\nLine two");
    ASSERT_TRUE(WaitFor([&] { return !tip->IsShown(); }));
}

TEST_F(TipTest, ShowingOneOwnersTipHidesTheOther)
{
    CWnd second;
    ASSERT_TRUE(second.CreateEx(0, nullptr, "Second", WS_POPUP | WS_VISIBLE, CRect(400, 100, 600, 200), nullptr, 0));
    std::unique_ptr<TipWindow> secondTip(CreateTipWindow(&second, 0, 0));
    secondTip->AddTool("Mute", CRect(10, 10, 60, 40), 1);
    MoveTo(owner, *tip, 20, 20);
    ASSERT_TRUE(WaitFor([&] { return tip->IsShown(); }));
    MoveTo(second, *secondTip, 20, 20);
    EXPECT_FALSE(tip->IsShown());
    ASSERT_TRUE(WaitFor([&] { return secondTip->IsShown(); }));
    EXPECT_FALSE(tip->IsShown());
    EXPECT_EQ(TipWindow::GetVisibleTip(), secondTip.get());
}

TEST(TipTools, RemovingByIdOrTheLast)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Owner", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    std::unique_ptr<TipWindow> tip(CreateTipWindow(&owner, 0, 0));
    for (int id : {1, 2, 3})
        tip->AddTool("t", CRect(0, 0, 10, 10), id);
    EXPECT_TRUE(tip->RemoveTool(2));
    EXPECT_FALSE(tip->RemoveTool(2));
    EXPECT_TRUE(tip->RemoveTool(0)); // the last: 3
    EXPECT_EQ(tip->GetToolCount(), 1);
    EXPECT_FALSE(tip->RemoveTool(3));
    EXPECT_TRUE(tip->RemoveTool(1));
    EXPECT_FALSE(tip->RemoveTool(0));
}

TEST(ValueTip, ShowsItsTextCentredOnTheTipColour)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Owner", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    ValueTipWnd tip(&owner);
    ASSERT_TRUE(IsWindow(tip.m_hWnd));
    char name[32] = "";
    GetClassNameA(tip.m_hWnd, name, sizeof name);
    EXPECT_STREQ(name, "Korvane-Tips");
    skintest::Canvas canvas(120, 20);
    tip.Render(canvas.dc(), CRect(0, 0, 120, 20));
    const COLORREF background = canvas.At(0, 0);
    EXPECT_TRUE(canvas.AllAre(background));
    tip.SetText("-6.0 dB");
    tip.Render(canvas.dc(), CRect(0, 0, 120, 20));
    int left = 120, right = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x)
            if (canvas.At(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, left);
    EXPECT_LE(std::abs((left + right) / 2 - 60), 3) << left << ".." << right;
}
