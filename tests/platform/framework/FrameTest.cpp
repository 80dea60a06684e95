// Floating mini frames and frame titles.
#include "FrameworkTestSupport.h"

#include <string>

TEST_F(FrameworkTest, MiniFrameOpensAsAToolWindowOfTheMainFrameAndClosesItself)
{
    int liveBefore = CSampleMiniFrame::s_liveCount;
    CSampleMiniFrame* frame = new CSampleMiniFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Pane", WS_POPUP | WS_VISIBLE | WS_THICKFRAME, CRect(10, 10, 210, 160),
                              m_app->MainFrame()));
    HWND hwnd = frame->m_hWnd;
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_TOOLWINDOW);
    EXPECT_EQ(::GetWindow(hwnd, GW_OWNER), m_app->MainFrame()->m_hWnd);
    char title[32] = "";
    ::GetWindowTextA(hwnd, title, static_cast<int>(sizeof title));
    EXPECT_STREQ(title, "Pane");
    // A client pane fills it.
    CWnd* pane = new CWnd;
    ASSERT_TRUE(pane->Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 0, 0), frame, AFX_IDW_PANE_FIRST));
    frame->RecalcLayout();
    CRect client, paneRect;
    frame->GetClientRect(&client);
    pane->GetClientRect(&paneRect);
    EXPECT_EQ(paneRect.Size(), client.Size());
    EXPECT_EQ(CSampleMiniFrame::s_liveCount, liveBefore + 1);

    ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(CSampleMiniFrame::s_liveCount, liveBefore);
    delete pane; // a plain CWnd is not deleted with its window
    // The main frame and its documents are untouched.
    EXPECT_TRUE(::IsWindow(m_app->MainFrame()->m_hWnd));
}

TEST_F(FrameworkTest, ModalStateDisablesTheFrameAndItsFloatingPanes)
{
    CSampleMiniFrame* pane = new CSampleMiniFrame;
    ASSERT_TRUE(pane->Create(nullptr, "Pane", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), m_app->MainFrame()));
    CSampleMainFrame* main = m_app->MainFrame();
    main->BeginModalState();
    main->BeginModalState();
    EXPECT_FALSE(main->IsWindowEnabled());
    EXPECT_FALSE(pane->IsWindowEnabled());
    main->EndModalState();
    EXPECT_FALSE(main->IsWindowEnabled());
    main->EndModalState();
    EXPECT_TRUE(main->IsWindowEnabled());
    EXPECT_TRUE(pane->IsWindowEnabled());
    pane->DestroyWindow();
}

TEST_F(FrameworkTest, FrameTitleFollowsTheActiveDocument)
{
    CSampleMainFrame* main = m_app->MainFrame();
    char title[64] = "";
    ::GetWindowTextA(main->m_hWnd, title, static_cast<int>(sizeof title));
    EXPECT_STREQ(title, "Sample App");
    CSampleDoc* doc = NewDocument();
    doc->SetTitle("Renamed");
    PumpAndIdle(*m_app);
    ::GetWindowTextA(main->m_hWnd, title, static_cast<int>(sizeof title));
    EXPECT_STREQ(title, "Sample App - Renamed");
}

TEST_F(FrameworkTest, WindowMenuListsEachDocumentWindowByItsTitle)
{
    CSampleDoc* doc = NewDocument();
    doc->SetTitle("Renamed");
    PumpAndIdle(*m_app);
    HMENU bar = ::GetMenu(m_app->MainFrame()->m_hWnd);
    ASSERT_NE(bar, nullptr);
    std::string found;
    for (int i = 0; i < ::GetMenuItemCount(bar) && found.empty(); ++i) {
        char text[128] = "";
        if (HMENU popup = ::GetSubMenu(bar, i))
            if (::GetMenuStringA(popup, 0xFF00, text, sizeof text, MF_BYCOMMAND) > 0)
                found = text;
    }
    EXPECT_NE(found.find("Renamed"), std::string::npos) << "the window list shows \"" << found << "\"";
}

TEST_F(FrameworkTest, FrameWhoseWindowCannotBeCreatedIsDeletedLikeAClosedOne)
{
    // An unknown window class fails before the window gets any message.
    int liveBefore = CSampleMiniFrame::s_liveCount;
    CSampleMiniFrame* frame = new CSampleMiniFrame;
    EXPECT_FALSE(frame->Create("KvFwNoSuchClass", "Pane", WS_POPUP, CRect(0, 0, 50, 50), m_app->MainFrame()));
    EXPECT_EQ(CSampleMiniFrame::s_liveCount, liveBefore);

    // The same for an MDI child frame.
    int childrenBefore = CSampleCountedChild::s_liveCount;
    CSampleCountedChild* child = new CSampleCountedChild;
    EXPECT_FALSE(child->Create("KvFwNoSuchClass", "Child"));
    EXPECT_EQ(CSampleCountedChild::s_liveCount, childrenBefore);
    EXPECT_EQ(m_app->MainFrame()->MDIGetActive(), nullptr);
}

namespace {
// A bordered pane that keeps its border inside the space the frame gives it.
class CInsetPane : public CWnd {
public:
    void CalcWindowRect(RECT* rect, UINT adjustType) override
    {
        CWnd::CalcWindowRect(rect, adjustType);
        ::InflateRect(rect, -1, -1);
    }
};
} // namespace

TEST_F(FrameworkTest, FrameLaysItsPaneOutThroughThePanesWindowRectangle)
{
    CSampleMiniFrame* frame = new CSampleMiniFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Pane", WS_POPUP | WS_THICKFRAME, CRect(10, 10, 210, 160), m_app->MainFrame()));
    CRect client;
    frame->GetClientRect(&client);

    // By default the border lies outside the given space: the pane's client area fills it.
    CWnd plain;
    ASSERT_TRUE(plain.Create(nullptr, nullptr, WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), frame, AFX_IDW_PANE_FIRST));
    frame->RecalcLayout();
    CRect inner;
    plain.GetClientRect(&inner);
    EXPECT_EQ(inner.Size(), client.Size());
    plain.DestroyWindow();

    // An override decides otherwise.
    CInsetPane inset;
    ASSERT_TRUE(inset.Create(nullptr, nullptr, WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), frame, AFX_IDW_PANE_FIRST));
    frame->RecalcLayout();
    CRect outer;
    inset.GetWindowRect(&outer);
    frame->ScreenToClient(&outer);
    EXPECT_EQ(outer, client);
    inset.DestroyWindow();
    frame->DestroyWindow();
}
