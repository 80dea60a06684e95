// The main window's place at start-up from the saved "Position".
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramProcess.h"
#include "Settings.h"
#include "TestSupport.h"

#include <string>

TEST(ProgramPlacement, TheSavedPositionPlacesTheMainWindow)
{
    struct Case {
        const char* what;
        const char* position; // null: none saved
        bool maximised;
        RECT normal; // checked when not maximised
    } cases[] = {
        {"nothing saved", nullptr, true, {}},
        {"ten fields", "0:1:-1:-1:-1:-1:40:50:640:530", false, {40, 50, 640, 530}},
        {"nine fields", "0:1:-1:-1:-1:-1:40:50:640", true, {}},
        {"saved maximised", "0:3:-1:-1:-1:-1:40:50:640:530", true, {}},
        {"minimised, restoring to maximised", "2:2:-1:-1:-1:-1:40:50:640:530", true, {}},
        {"minimised, restoring normally", "0:2:-1:-1:-1:-1:60:70:560:470", false, {60, 70, 560, 470}},
    };
    for (const Case& c : cases) {
        kvtest::ClearProgramKey();
        if (c.position)
            SetSettingString(kSettingsSection, "Position", c.position);
        kvtest::ProgramProcess start(kvtest::BinFolder() + "KvSound5EU.exe");
        HWND frame = start.WaitForFrame();
        ASSERT_NE(frame, nullptr) << c.what;
        EXPECT_EQ(IsZoomed(frame) != FALSE, c.maximised) << c.what;
        EXPECT_FALSE(IsIconic(frame)) << c.what;
        if (!c.maximised) {
            WINDOWPLACEMENT placement = {};
            placement.length = sizeof placement;
            GetWindowPlacement(frame, &placement);
            EXPECT_EQ(placement.rcNormalPosition.left, c.normal.left) << c.what;
            EXPECT_EQ(placement.rcNormalPosition.top, c.normal.top) << c.what;
            EXPECT_EQ(placement.rcNormalPosition.right, c.normal.right) << c.what;
            EXPECT_EQ(placement.rcNormalPosition.bottom, c.normal.bottom) << c.what;
        }
        PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_TRUE(start.WaitForExit(15000)) << c.what;
    }
}
