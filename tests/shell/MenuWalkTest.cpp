// The program's main menus as resources: every item reaches a handler and an update rule on
// the routing chain of a document window, carries its prompt and tool tip, and the top-level
// menus stand where the view enables them by position.
#include "MainFrameFixture.h"
#include "MainFrameIds.h"
#include "DrawIds.h"
#include "EditModeIds.h"
#include "resource.h"

#include <functional>
#include <set>
#include <string>

using namespace kvtest;

namespace {

std::string ItemText(HMENU menu, UINT position)
{
    char text[128] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// Every command item of a menu and its sub-menus, with the path of popups that leads to it.
void ForEachItem(HMENU menu, const std::string& path, const std::function<void(UINT, const std::string&)>& visit)
{
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        const std::string text = path + "/" + ItemText(menu, UINT(i));
        if (HMENU sub = ::GetSubMenu(menu, i))
            ForEachItem(sub, text, visit);
        else if (UINT id = ::GetMenuItemID(menu, i); id != 0 && id != UINT(-1))
            visit(id, text);
    }
}

bool Routes(CCmdTarget* target, kvfw::Route route, UINT id)
{
    CCmdUI ui;
    ui.m_nID = id;
    kvfw::CmdRequest request;
    request.route = route;
    request.id = id;
    request.cmdUI = &ui;
    request.probeOnly = true;
    return target->OnCmdMsg(request);
}

std::string Prompt(UINT id)
{
    char text[512] = {};
    ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

} // namespace

TEST_F(MainFrameTest, EveryItemOfTheMainMenusReachesAHandlerAndAnUpdateRule)
{
    // Available whenever they can run: the framework enables an item whose handler exists.
    const std::set<UINT> always = {ID_HELP_CONTENTS, ID_HELP_ONLINE, ID_APP_ABOUT, IDC_RULER_UNITS_COMMAND};
    ASSERT_NE(FileNew(), nullptr);
    for (UINT menuId : {IDR_MAINFRAME, IDR_MULTITRACKDOC, IDR_FADE_EDIT_MENU, IDR_ENVELOPE_EDIT_MENU}) {
        HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(menuId));
        ASSERT_NE(menu, nullptr) << menuId;
        int items = 0;
        ForEachItem(menu, std::to_string(menuId), [&](UINT id, const std::string& path) {
            ++items;
            EXPECT_TRUE(Routes(frame_, kvfw::Route::Command, id)) << path << " (" << id << ") has no handler";
            EXPECT_TRUE(always.count(id) || Routes(frame_, kvfw::Route::UpdateUI, id)) << path << " (" << id << ") has no update rule";
            const std::string prompt = Prompt(id);
            EXPECT_FALSE(prompt.empty() || prompt[0] == '\n') << path << " (" << id << ") has no prompt";
        });
        EXPECT_GT(items, 10) << menuId;
        ::DestroyMenu(menu);
    }
}

// The tool bar's buttons and the main menus' items show a tip after their prompt.
TEST_F(MainFrameTest, MenuAndToolBarCommandsCarryAPromptAndATip)
{
    std::set<UINT> ids;
    HWND bar = frame_->GetToolBar().m_hWnd;
    const int buttons = int(::SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < buttons; ++i) {
        TBBUTTON button{};
        ::SendMessageA(bar, TB_GETBUTTON, WPARAM(i), LPARAM(&button));
        if (!(button.fsStyle & TBSTYLE_SEP))
            ids.insert(UINT(button.idCommand));
    }
    EXPECT_GE(ids.size(), 15u);
    for (UINT menuId : {IDR_MAINFRAME, IDR_MULTITRACKDOC}) {
        HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(menuId));
        ForEachItem(menu, "", [&](UINT id, const std::string&) {
            if (id < ID_FILE_MRU_FILE1 || id > ID_FILE_MRU_FILE16)
                ids.insert(id);
        });
        ::DestroyMenu(menu);
    }
    for (UINT id : ids) {
        const std::string text = Prompt(id);
        const size_t newline = text.find('\n');
        EXPECT_TRUE(newline != std::string::npos && newline > 0 && newline + 1 < text.size())
            << id << ": \"" << text << "\"";
    }
}

// The view greys and enables Edit, Effects, Special, Tools, Control and Window by position.
TEST_F(MainFrameTest, TheDocumentMenuBarKeepsItsMenusWhereTheViewLooksForThem)
{
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MULTITRACKDOC));
    const char* const expected[] = {"&File",  "&Edit",     "&View",   "Effect&s", "S&pecial",
                                    "&Tools", "&Control", "&Window", "&Help"};
    ASSERT_EQ(::GetMenuItemCount(menu), int(std::size(expected)));
    for (UINT i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(ItemText(menu, i), expected[i]);
    // The Effects menu's noise reduction, equaliser and generator sub-menus follow their first
    // item; the Special menu holds the channel commands.
    HMENU effects = ::GetSubMenu(menu, 3);
    std::set<std::string> popups;
    for (int i = 0; i < ::GetMenuItemCount(effects); ++i)
        if (::GetSubMenu(effects, i))
            popups.insert(ItemText(effects, UINT(i)));
    EXPECT_EQ(popups, (std::set<std::string>{"E&qualizer", "&Noise Reduction", "&Generate"}));
    EXPECT_EQ(::GetMenuItemID(::GetSubMenu(menu, 4), 0), 1122u);
    ::DestroyMenu(menu);
}
