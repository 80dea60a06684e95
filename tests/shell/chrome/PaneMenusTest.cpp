// The program carries the panes' two context menus.
#include <gtest/gtest.h>

#include "BaseWin.h"
#include "TestSupport.h"

TEST(PaneMenus, ProgramHoldsTheSelectionAndNoSelectionMenus)
{
    const std::string program = kvtest::BinFolder() + "KvSound5EU.exe";
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "program not built";
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const struct {
        UINT menu;
        UINT first;
        UINT last;
    } cases[] = {
        {kBaseWinMenuSelection, 57635, 1021},   // Cut ... Properties
        {kBaseWinMenuNoSelection, 57643, 1021}, // Undo ... Properties
    };
    for (const auto& c : cases) {
        HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(c.menu));
        ASSERT_NE(menu, nullptr) << c.menu;
        HMENU popup = GetSubMenu(menu, 0);
        ASSERT_NE(popup, nullptr) << c.menu;
        int count = GetMenuItemCount(popup);
        EXPECT_EQ(GetMenuItemID(popup, 0), c.first) << c.menu;
        EXPECT_EQ(GetMenuItemID(popup, count - 1), c.last) << c.menu;
        DestroyMenu(menu);
    }
    FreeLibrary(module);
}
