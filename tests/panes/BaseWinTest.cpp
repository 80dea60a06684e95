// The window base of panes: clicks leave the keyboard focus with the view, the in-place edit
// rule, and which context menu a right click opens.
#include <gtest/gtest.h>

#include "BaseWin.h"

#include <vector>

namespace {

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        bool eaten = false;
        for (HWND h = msg.hwnd; h && !eaten; h = GetParent(h))
            if (CWnd* wnd = CWnd::FromHandlePermanent(h))
                eaten = wnd->PreTranslateMessage(&msg) != FALSE;
        if (!eaten) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

class TestView : public CWnd, public IPaneParent {
public:
    bool selection = false;
    bool HasSelection() const override { return selection; }
};

// Records what reaches it; stands for the label editor.
class FakeEdit : public CWnd {
public:
    std::vector<POINT> presses;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONDOWN)
            presses.push_back({(short)LOWORD(lParam), (short)HIWORD(lParam)});
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class TestPane : public CBaseWin {
public:
    int contextMenus = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CONTEXTMENU) {
            ++contextMenus;
            return 0;
        }
        return CBaseWin::WindowProc(message, wParam, lParam);
    }
};

class EditHost : public IInPlaceEditHost {
public:
    FakeEdit* edit = nullptr;
    int ended = 0;
    int restarted = 0;
    CWnd* GetInPlaceEdit() override { return edit; }
    void EndInPlaceEdit() override
    {
        ++ended;
        edit->DestroyWindow();
    }
    void RestartInPlaceEdit() override { ++restarted; }
};

class BaseWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(view.CreateEx(0, nullptr, "View", WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0));
        ASSERT_TRUE(pane.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 400, 100), &view, 101));
        ASSERT_TRUE(other.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 200, 400, 300), &view, 102));
        SetInPlaceEditHost(&host);
    }
    void TearDown() override { SetInPlaceEditHost(nullptr); }

    // The edit lies over the pane at 100,20 - 300,60 of the view's client area.
    void OpenEdit(bool readOnly)
    {
        host.edit = new FakeEdit;
        ASSERT_TRUE(host.edit->Create(nullptr, nullptr, WS_VISIBLE | (readOnly ? ES_READONLY : 0),
                                      CRect(100, 20, 300, 60), &view, 200));
        SetWindowPos(host.edit->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    void Click(CWnd& target, int x, int y, UINT message = WM_LBUTTONDOWN)
    {
        PostMessageA(target.m_hWnd, message, MK_LBUTTON, MAKELPARAM(x, y));
        Pump();
    }

    TestView view;
    TestPane pane;
    CBaseWin other;
    EditHost host;
};

} // namespace

TEST_F(BaseWinTest, AClickLeavesTheFocusWithTheView)
{
    for (CWnd* focused : {(CWnd*)&view, (CWnd*)&pane, (CWnd*)&other}) {
        focused->SetFocus();
        Click(pane, 10, 10);
        EXPECT_EQ(GetFocus(), view.m_hWnd);
    }
    EXPECT_EQ(pane.GetParentWnd()->m_hWnd, view.m_hWnd);
}

TEST_F(BaseWinTest, InPlaceEditIsLeftOrKeptByWhereTheClickFalls)
{
    enum Focus { kOnView, kUnchanged, kAny };
    const struct {
        const char* name;
        bool readOnly;
        bool editFocused;
        int x, y; // pane client point; the edit covers 100,20 - 300,60
        UINT message;
        bool ended, restarted;
        int pressesPassed;
        Focus focus;
    } cases[] = {
        {"writable, click elsewhere", false, true, 20, 80, WM_LBUTTONDOWN, false, false, 0, kOnView},
        {"read-only, click elsewhere", true, true, 20, 80, WM_LBUTTONDOWN, true, false, 0, kOnView},
        {"click on the focused edit", false, true, 150, 40, WM_LBUTTONDOWN, false, false, 1, kOnView},
        {"click just inside its shrunk frame", false, true, 103, 25, WM_LBUTTONDOWN, false, false, 1, kOnView},
        {"click on its border strip", false, true, 101, 40, WM_LBUTTONDOWN, false, false, 0, kOnView},
        // The restarted edit takes the focus itself; the pane leaves it alone.
        {"click on the edit without focus", false, false, 150, 40, WM_LBUTTONDOWN, false, true, 0, kUnchanged},
        {"writable, double click", false, true, 20, 80, WM_LBUTTONDBLCLK, false, false, 0, kOnView},
        {"read-only, double click", true, true, 20, 80, WM_LBUTTONDBLCLK, true, false, 0, kAny},
    };
    for (const auto& c : cases) {
        OpenEdit(c.readOnly);
        host.ended = host.restarted = 0;
        HWND editHwnd = host.edit->m_hWnd;
        if (c.editFocused)
            host.edit->SetFocus();
        else
            other.SetFocus();
        // Sent straight to the pane: the edit window lies above it on the screen.
        pane.SendMessage(c.message, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        EXPECT_EQ(host.ended, c.ended ? 1 : 0) << c.name;
        EXPECT_EQ(host.restarted, c.restarted ? 1 : 0) << c.name;
        if (IsWindow(editHwnd)) {
            EXPECT_EQ((int)host.edit->presses.size(), c.pressesPassed) << c.name;
        }
        if (c.focus == kOnView) {
            EXPECT_EQ(GetFocus(), view.m_hWnd) << c.name;
        } else if (c.focus == kUnchanged) {
            EXPECT_EQ(GetFocus(), other.m_hWnd) << c.name;
        }
        if (IsWindow(editHwnd))
            host.edit->DestroyWindow();
        delete host.edit;
        host.edit = nullptr;
    }
}

TEST_F(BaseWinTest, RightClickMenuFollowsTheSelectionAndOnlyAPlainClickOpensIt)
{
    view.selection = true;
    EXPECT_EQ(pane.ContextMenuId(), kBaseWinMenuSelection);
    view.selection = false;
    EXPECT_EQ(pane.ContextMenuId(), kBaseWinMenuNoSelection);

    const struct {
        UINT flags;
        int menus;
    } cases[] = {
        {0, 1}, {MK_SHIFT, 0}, {MK_CONTROL, 0}, {MK_LBUTTON, 0}, {MK_MBUTTON, 0}, {MK_RBUTTON, 1},
    };
    for (const auto& c : cases) {
        pane.contextMenus = 0;
        pane.SendMessage(WM_RBUTTONUP, c.flags, MAKELPARAM(10, 10));
        EXPECT_EQ(pane.contextMenus, c.menus) << c.flags;
    }
}
