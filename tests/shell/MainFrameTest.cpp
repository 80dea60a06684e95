// The application object and its main frame in the test's own process.
#include <gtest/gtest.h>

#include "MainFrame.h"
#include "NyApp.h"

TEST(MainFrame, ExitOfTheFileMenuRoutesToTheApplicationWhichClosesTheFrame)
{
    CNyApp app;
    ASSERT_TRUE(app.InitInstance());
    CWnd* frame = app.m_pMainWnd;
    ASSERT_NE(frame, nullptr);
    HWND wnd = frame->m_hWnd;
    EXPECT_TRUE(frame->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd)));
    char cls[64] = {};
    ::GetClassNameA(wnd, cls, sizeof cls);
    EXPECT_STREQ(cls, "KorvaneSound FrameWnd"); // a second copy finds the running one by it
    char title[64] = {};
    ::GetWindowTextA(wnd, title, sizeof title);
    EXPECT_STREQ(title, "KorvaneSound5 Tarn");

    // Opening the menu asks the routing chain: the application handles Exit, so it is enabled.
    HMENU file = ::GetSubMenu(::GetMenu(wnd), 0);
    ASSERT_NE(file, nullptr);
    frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)file, 0);
    UINT exitState = ::GetMenuState(file, ID_APP_EXIT, MF_BYCOMMAND);
    ASSERT_NE(exitState, (UINT)-1) << "no Exit item";
    EXPECT_FALSE(exitState & MF_GRAYED);

    frame->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_FALSE(::IsWindow(wnd));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG quit = {};
    ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop would not end";
    EXPECT_EQ(quit.wParam, 0u);
}
