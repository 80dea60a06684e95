// For a look at the settings sheet and the Properties dialog on a display: KV_SHOW_DIALOG_SECONDS=n
// keeps each up for n seconds, the sheet first.
#include "DocumentFixture.h"
#include "NyEnvSheet.h"
#include "PropertiesDialog.h"
#include "Settings.h"
#include "SettingsIds.h"

namespace {

void ShowFor(HWND window, DWORD milliseconds)
{
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    DWORD until = ::GetTickCount() + milliseconds;
    while (::GetTickCount() < until) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(20);
    }
}

} // namespace

TEST_F(DocumentTest, SettingsSheetAndPropertiesStayUpWhenAsked)
{
    char value[16] = "";
    if (!::GetEnvironmentVariableA("KV_SHOW_DIALOG_SECONDS", value, (DWORD)sizeof value))
        GTEST_SKIP() << "KV_SHOW_DIALOG_SECONDS is not set";
    DWORD milliseconds = (DWORD)atoi(value) * 1000;
    // As the program leaves it at start: the section holds the temporary folder.
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    SetSettingString(kSettingsSection, "TempPath", temp);
    CNyEnvSheet sheet("Settings", nullptr, 1);
    ASSERT_TRUE(sheet.Create());
    ShowFor(sheet.m_hWnd, milliseconds);
    sheet.DestroyWindow();

    CNyMultiTrackDoc* doc = NewDocument({2, 1});
    PropertiesDialog properties(doc);
    ASSERT_TRUE(properties.Create(IDD_PROPERTIES));
    ShowFor(properties.m_hWnd, milliseconds);
    properties.DestroyWindow();
}
