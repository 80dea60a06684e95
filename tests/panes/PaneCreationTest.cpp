// The panes' creation functions when their frame's window cannot be made: no pane, and the
// frame the framework already deleted is not deleted again.
#include "MarkerListDlg.h"
#include "NyControlFrame.h"
#include "NyMixerCtrlFrame.h"
#include "SelectionControlDlg.h"

#include <gtest/gtest.h>

TEST(PaneCreation, AnOwnerWhoseWindowIsGoneGivesNoPane)
{
    HWND gone = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    ::DestroyWindow(gone);
    CWnd owner;
    owner.m_hWnd = gone;
    // Many rounds: a block freed twice shows as a damaged heap soon enough.
    for (int round = 0; round < 50; ++round) {
        EXPECT_EQ(CreateControllerPane(&owner), nullptr);
        EXPECT_EQ(CreateMixerPane(&owner), nullptr);
        EXPECT_EQ(CreateSelectionControlPane(&owner), nullptr);
        EXPECT_EQ(CreateMarkerListPane(&owner), nullptr);
    }
    owner.m_hWnd = nullptr;
}
