// The start-up splash: shown from the image "SPLASH" unless switched off, hidden on request.
#include <gtest/gtest.h>
#include <windows.h>

#include "NyApp.h"
#include "SkinImage.h"
#include "SplashWnd.h"

TEST(Splash, ShowsTheImageUnlessSwitchedOffAndHidesWhenAsked)
{
    CNyApp app;
    GdiplusSession gdiplus;
    SplashWnd::EnableSplashScreen(FALSE);
    SplashWnd::ShowSplashScreen(nullptr);
    EXPECT_EQ(SplashWnd::Current(), nullptr);
    SplashWnd::ShowOnTop(0); // nothing to raise

    SplashWnd::EnableSplashScreen(TRUE);
    SplashWnd::ShowSplashScreen(nullptr);
    SplashWnd* splash = SplashWnd::Current();
    ASSERT_NE(splash, nullptr) << "no SPLASH image in the images folder";
    HWND wnd = splash->m_hWnd;
    EXPECT_TRUE(IsWindowVisible(wnd));
    RECT r;
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(r.bottom - r.top, 240);
    // A second request while one shows makes no second splash.
    SplashWnd::ShowSplashScreen(nullptr);
    EXPECT_EQ(SplashWnd::Current(), splash);

    SplashWnd::ShowOnTop(1);
    EXPECT_EQ(SplashWnd::Current(), nullptr);
    EXPECT_FALSE(IsWindow(wnd));
    SplashWnd::EnableSplashScreen(FALSE);
}
