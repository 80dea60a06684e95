// Update handlers decide enable, check, radio and text for menus, tool-bar buttons and panes.
#include "FrameworkTestSupport.h"

namespace {

// Opens the popup at `index` of the frame's menu as the user would (WM_INITMENUPOPUP).
HMENU OpenPopup(CFrameWnd* frame, int index)
{
    HMENU popup = ::GetSubMenu(frame->GetMenu(), index);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), index);
    return popup;
}

UINT ItemState(HMENU menu, UINT id)
{
    return ::GetMenuState(menu, id, MF_BYCOMMAND);
}

// Update handlers that only mark their items (no Enable), with and without a command handler.
class CMarkingTarget : public CCmdTarget {
public:
    void OnRun() {}
    void OnUpdateMark(CCmdUI* cmdUI) { cmdUI->SetCheck(1); }
    void OnUpdateEnable(CCmdUI* cmdUI) { cmdUI->Enable(TRUE); }
    DECLARE_MESSAGE_MAP()
};

const UINT kMarkedRunnable = 40001, kMarkedOnly = 40002, kEnabledOnly = 40003, kRunnableOnly = 40004, kNothing = 40005;

BEGIN_MESSAGE_MAP(CMarkingTarget, CCmdTarget)
    ON_COMMAND(kMarkedRunnable, OnRun)
    ON_COMMAND(kRunnableOnly, OnRun)
    ON_UPDATE_COMMAND_UI(kMarkedRunnable, OnUpdateMark)
    ON_UPDATE_COMMAND_UI(kMarkedOnly, OnUpdateMark)
    ON_UPDATE_COMMAND_UI(kEnabledOnly, OnUpdateEnable)
END_MESSAGE_MAP()

} // namespace

TEST(FrameworkCommandUI, ItemWhoseHandlerLeavesEnablingOpenFollowsTheCommandHandler)
{
    CMarkingTarget target;
    const struct {
        UINT id;
        BOOL ran;
        int enabled;
        int checked;
    } cases[] = {
        {kMarkedRunnable, TRUE, 1, 1}, {kMarkedOnly, TRUE, 0, 1}, // marked, but nothing would run it
        {kEnabledOnly, TRUE, 1, -1},                              // the handler's own decision stands
        {kRunnableOnly, FALSE, 1, -1}, {kNothing, FALSE, 0, -1},
    };
    for (const auto& c : cases) {
        CRecordingCmdUI state(c.id);
        EXPECT_EQ(state.DoUpdate(&target, TRUE), c.ran) << c.id;
        EXPECT_EQ(state.enabled, c.enabled) << c.id;
        EXPECT_EQ(state.checked, c.checked) << c.id;
        // Without the rule nothing is decided for the handler.
        CRecordingCmdUI plain(c.id);
        plain.DoUpdate(&target, FALSE);
        EXPECT_EQ(plain.enabled, c.id == kEnabledOnly ? 1 : -1) << c.id;
    }
}

TEST_F(FrameworkTest, UpdateHandlerDecisionCanBeAskedWithoutAMenu)
{
    CSampleDoc* doc = NewDocument();
    const struct {
        bool locked;
        bool toggled;
        int enabled;
        int checked;
    } cases[] = {
        {false, false, 1, 0},
        {true, false, 0, 0},
        {false, true, 1, 1},
        {true, true, 0, 1},
    };
    for (const auto& c : cases) {
        doc->m_locked = c.locked;
        doc->m_toggled = c.toggled;
        CRecordingCmdUI state(ID_SAMPLE_TOGGLE);
        EXPECT_TRUE(state.DoUpdate(doc, FALSE));
        EXPECT_EQ(state.enabled, c.enabled);
        EXPECT_EQ(state.checked, c.checked);
    }
}

TEST_F(FrameworkTest, MenuItemsAreDisabledAndCheckedWhenThePopupOpens)
{
    CSampleDoc* doc = NewDocument();
    doc->m_locked = true;
    doc->m_toggled = true;
    HMENU edit = OpenPopup(m_app->MainFrame(), 1);
    EXPECT_TRUE(ItemState(edit, ID_SAMPLE_TOGGLE) & MF_GRAYED);
    EXPECT_TRUE(ItemState(edit, ID_SAMPLE_TOGGLE) & MF_CHECKED);
    // An item handled by the application stays enabled; one nobody handles is greyed.
    EXPECT_FALSE(ItemState(edit, ID_SAMPLE_PING) & MF_GRAYED);
    EXPECT_TRUE(ItemState(edit, ID_SAMPLE_ORPHAN) & MF_GRAYED);
    // The "Pick" popup entry follows its first item's handler.
    UINT pickState = ::GetMenuState(edit, 3, MF_BYPOSITION);
    EXPECT_TRUE(pickState & MF_GRAYED);

    doc->m_locked = false;
    doc->m_toggled = false;
    edit = OpenPopup(m_app->MainFrame(), 1);
    EXPECT_FALSE(ItemState(edit, ID_SAMPLE_TOGGLE) & MF_GRAYED);
    EXPECT_FALSE(ItemState(edit, ID_SAMPLE_TOGGLE) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(edit, 3, MF_BYPOSITION) & MF_GRAYED);
}

TEST_F(FrameworkTest, RadioUpdateMarksOnlyThePickedItem)
{
    CSampleDoc* doc = NewDocument();
    doc->m_picked = ID_PICK_LAST;
    HMENU edit = OpenPopup(m_app->MainFrame(), 1);
    HMENU pick = ::GetSubMenu(edit, 3);
    m_app->MainFrame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(pick), 3);
    EXPECT_FALSE(ItemState(pick, ID_PICK_FIRST) & MF_CHECKED);
    EXPECT_TRUE(ItemState(pick, ID_PICK_LAST) & MF_CHECKED);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoA(pick, ID_PICK_LAST, FALSE, &info);
    EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
}

TEST_F(FrameworkTest, ToolBarButtonsFollowTheirUpdateHandlersAtIdle)
{
    CSampleDoc* doc = NewDocument();
    CToolBar& bar = m_app->MainFrame()->m_toolBar;
    ASSERT_EQ(bar.GetCount(), 4);
    EXPECT_EQ(bar.GetItemID(0), static_cast<UINT>(ID_SAMPLE_TOGGLE));
    EXPECT_EQ(bar.GetItemID(1), static_cast<UINT>(ID_SEPARATOR));
    EXPECT_EQ(bar.CommandToIndex(ID_SAMPLE_ORPHAN), 3);

    doc->m_locked = true;
    doc->m_toggled = true;
    PumpAndIdle(*m_app);
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_SAMPLE_TOGGLE));
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONCHECKED, ID_SAMPLE_TOGGLE));
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_SAMPLE_PING));
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_SAMPLE_ORPHAN));

    doc->m_locked = false;
    doc->m_toggled = false;
    PumpAndIdle(*m_app);
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_SAMPLE_TOGGLE));
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONCHECKED, ID_SAMPLE_TOGGLE));
}

TEST_F(FrameworkTest, ToolBarButtonWithoutADocumentIsDisabled)
{
    PumpAndIdle(*m_app);
    CToolBar& bar = m_app->MainFrame()->m_toolBar;
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_SAMPLE_TOGGLE));
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_SAMPLE_PING));
}

TEST_F(FrameworkTest, StatusPaneTextComesFromItsUpdateHandler)
{
    CStatusBar& bar = m_app->MainFrame()->m_statusBar;
    ASSERT_EQ(bar.GetCount(), 3);
    EXPECT_EQ(bar.CommandToIndex(ID_INDICATOR_DOCS), 1);
    PumpAndIdle(*m_app);
    EXPECT_STREQ(bar.GetPaneText(1), "Documents: 0");
    NewDocument();
    NewDocument();
    EXPECT_STREQ(bar.GetPaneText(1), "Documents: 2");
    m_app->MainFrame()->SetMessageText("Ready");
    EXPECT_STREQ(bar.GetPaneText(0), "Ready");
}

TEST_F(FrameworkTest, DialogBarControlsFollowUpdateHandlersAndRouteCommands)
{
    CSampleMainFrame* main = m_app->MainFrame();
    HWND button = ::GetDlgItem(main->m_dialogBar.m_hWnd, IDC_BAR_BUTTON);
    ASSERT_NE(button, nullptr);
    PumpAndIdle(*m_app);
    EXPECT_FALSE(::IsWindowEnabled(button));
    main->m_barButtonEnabled = true;
    PumpAndIdle(*m_app);
    EXPECT_TRUE(::IsWindowEnabled(button));
    ::SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(main->m_barClicks, 1);
}

TEST_F(FrameworkTest, BarsAreLaidOutAroundTheClientAndTheirVisibilityPersists)
{
    CSampleMainFrame* main = m_app->MainFrame();
    CRect client, tool, status, mdi;
    main->GetClientRect(&client);
    main->m_toolBar.GetWindowRect(&tool);
    main->m_statusBar.GetWindowRect(&status);
    ::GetWindowRect(main->m_hWndMDIClient, &mdi);
    main->ScreenToClient(&tool);
    main->ScreenToClient(&status);
    main->ScreenToClient(&mdi);
    EXPECT_EQ(tool.top, 0);
    EXPECT_EQ(mdi.top, tool.bottom);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_LE(mdi.bottom, status.top);

    // View > Toolbar hides the bar; the state survives through the profile.
    main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    EXPECT_FALSE(main->m_toolBar.IsWindowVisible());
    ::GetWindowRect(main->m_hWndMDIClient, &mdi);
    main->ScreenToClient(&mdi);
    EXPECT_EQ(mdi.top, 0);
    main->SaveBarState("ToolBars\\State");
    main->ShowControlBar(&main->m_toolBar, TRUE);
    main->LoadBarState("ToolBars\\State");
    EXPECT_FALSE(main->m_toolBar.IsWindowVisible());
    HMENU view = OpenPopup(main, 1);
    EXPECT_FALSE(ItemState(view, ID_VIEW_TOOLBAR) & MF_CHECKED);
    EXPECT_TRUE(ItemState(view, ID_VIEW_STATUS_BAR) & MF_CHECKED);
}

TEST_F(FrameworkTest, CommandStringsGiveToolTipsAndMenuPrompts)
{
    CSampleMainFrame* main = m_app->MainFrame();
    NMTTDISPINFOA tip = {};
    tip.hdr.hwndFrom = main->m_toolBar.m_hWnd;
    tip.hdr.idFrom = ID_SAMPLE_TOGGLE;
    tip.hdr.code = TTN_GETDISPINFOA;
    main->SendMessage(WM_NOTIFY, ID_SAMPLE_TOGGLE, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(tip.lpszText, "Toggle");

    main->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_SAMPLE_TOGGLE, MF_STRING),
                      reinterpret_cast<LPARAM>(main->GetMenu()));
    EXPECT_STREQ(main->m_statusBar.GetPaneText(0), "Toggles the sample state");
    main->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_STREQ(main->m_statusBar.GetPaneText(0), "");
}
