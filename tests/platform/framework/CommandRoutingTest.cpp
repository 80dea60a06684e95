// Commands travel: active view -> its document -> child frame -> main frame -> application.
#include "FrameworkTestSupport.h"

namespace {
std::string Expect(const char* who, UINT id)
{
    return std::string(who) + ":" + std::to_string(id);
}
} // namespace

TEST_F(FrameworkTest, MenuCommandGoesToTheFirstHandlerOfTheRoutingChain)
{
    NewDocument();
    // Each id is handled by its owner and by everyone after it in the chain.
    const struct {
        UINT id;
        const char* first;
    } cases[] = {
        {ID_ROUTE_VIEW, "view"}, {ID_ROUTE_DOC, "doc"}, {ID_ROUTE_CHILD, "child"},
        {ID_ROUTE_MAIN, "main"}, {ID_ROUTE_APP, "app"},
    };
    for (const auto& c : cases) {
        CommandTrace().clear();
        m_app->MainFrame()->SendMessage(WM_COMMAND, MAKEWPARAM(c.id, 0), 0);
        EXPECT_EQ(CommandTrace(), std::vector<std::string>{Expect(c.first, c.id)}) << c.id;
    }
}

TEST_F(FrameworkTest, WithoutAChildFrameCommandsGoToTheMainFrameThenTheApplication)
{
    const struct {
        UINT id;
        const char* first;
    } cases[] = {
        {ID_ROUTE_VIEW, "main"},
        {ID_ROUTE_CHILD, "main"},
        {ID_ROUTE_MAIN, "main"},
        {ID_ROUTE_APP, "app"},
    };
    for (const auto& c : cases) {
        CommandTrace().clear();
        m_app->MainFrame()->SendMessage(WM_COMMAND, MAKEWPARAM(c.id, 0), 0);
        EXPECT_EQ(CommandTrace(), std::vector<std::string>{Expect(c.first, c.id)}) << c.id;
    }
    CommandTrace().clear();
    EXPECT_FALSE(m_app->MainFrame()->RouteCommand(ID_ROUTE_NOBODY));
    EXPECT_TRUE(CommandTrace().empty());
}

TEST_F(FrameworkTest, CommandsReachTheActiveDocumentOnly)
{
    CSampleDoc* first = NewDocument();
    CSampleDoc* second = NewDocument();
    m_app->MainFrame()->SendMessage(WM_COMMAND, ID_PICK_FIRST + 2, 0);
    EXPECT_EQ(second->m_picked, ID_PICK_FIRST + 2);
    EXPECT_EQ(first->m_picked, ID_PICK_FIRST);
    // Activating the first child redirects the chain.
    POSITION pos = first->GetFirstViewPosition();
    m_app->MainFrame()->MDIActivate(first->GetNextView(pos)->GetParentFrame());
    m_app->MainFrame()->SendMessage(WM_COMMAND, ID_PICK_LAST, 0);
    EXPECT_EQ(first->m_picked, ID_PICK_LAST);
    EXPECT_EQ(second->m_picked, ID_PICK_FIRST + 2);
}

TEST_F(FrameworkTest, AcceleratorOfTheTemplateRunsThroughTheMessageLoop)
{
    CSampleDoc* doc = NewDocument();
    POSITION pos = doc->GetFirstViewPosition();
    CView* view = doc->GetNextView(pos);
    // F5 is in the template's accelerators (the child frame's), F7 only in the main frame's.
    ::PostMessageA(view->m_hWnd, WM_KEYDOWN, VK_F5, 1);
    ::PostMessageA(view->m_hWnd, WM_KEYDOWN, VK_F7, 1);
    PumpAndIdle(*m_app);
    EXPECT_EQ(CommandTrace(), (std::vector<std::string>{Expect("app", ID_SAMPLE_PING), Expect("app", ID_ROUTE_APP)}));
}

// Keys typed into an edit box (a name being edited in place) are text, not the view's
// one-letter accelerators; function keys still reach the frames.
TEST_F(FrameworkTest, KeysTypedIntoAnEditBoxAreTextNotAccelerators)
{
    CSampleDoc* doc = NewDocument();
    POSITION pos = doc->GetFirstViewPosition();
    CView* view = doc->GetNextView(pos);
    HWND edit =
        ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, view->m_hWnd, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    ::SetFocus(edit);
    ::PostMessageA(edit, WM_KEYDOWN, 'P', 1);
    PumpAndIdle(*m_app);
    EXPECT_TRUE(CommandTrace().empty()) << "P in the edit box ran the P accelerator";
    char text[8] = "";
    ::GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "p");

    ::PostMessageA(view->m_hWnd, WM_KEYDOWN, 'P', 1);
    ::PostMessageA(edit, WM_KEYDOWN, VK_F5, 1);
    PumpAndIdle(*m_app);
    EXPECT_EQ(CommandTrace(), (std::vector<std::string>{Expect("app", ID_SAMPLE_PING), Expect("app", ID_SAMPLE_PING)}));
    ::DestroyWindow(edit);
}

TEST_F(FrameworkTest, AcceleratorOfADisabledCommandIsDropped)
{
    CSampleDoc* doc = NewDocument();
    POSITION pos = doc->GetFirstViewPosition();
    CView* view = doc->GetNextView(pos);
    doc->m_locked = true; // the update handler disables Toggle
    ::PostMessageA(view->m_hWnd, WM_KEYDOWN, VK_F6, 1);
    PumpAndIdle(*m_app);
    EXPECT_FALSE(doc->m_toggled);
    doc->m_locked = false;
    ::PostMessageA(view->m_hWnd, WM_KEYDOWN, VK_F6, 1);
    PumpAndIdle(*m_app);
    EXPECT_TRUE(doc->m_toggled);
}

TEST_F(FrameworkTest, RegisteredMessageReachesItsTypedHandler)
{
    CSampleMainFrame* main = m_app->MainFrame();
    ASSERT_NE(CSampleMainFrame::s_pingMessage, 0u);
    EXPECT_EQ(main->SendMessage(CSampleMainFrame::s_pingMessage, 3, 41), 42);
    EXPECT_EQ(main->m_pings, 3);
}

TEST_F(FrameworkTest, FileNewCommandCreatesADocumentThroughTheApplication)
{
    m_app->MainFrame()->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    PumpAndIdle(*m_app);
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 1);
}
