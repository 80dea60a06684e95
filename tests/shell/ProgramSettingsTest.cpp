// The settings dialogs reached from the program's menus and the view's commands, in the
// program's main frame with the real application object.
#include "MainFrameFixture.h"
#include "MainFrameIds.h"
#include "MultiTrackDoc.h"
#include "SettingsIds.h"
#include "SettingsTestKit.h"

#include <commctrl.h>

using namespace settingstest;

namespace {

constexpr int kDataPage = 1;
constexpr UINT kViewProperties = 1021;

class ProgramSettingsTest : public kvtest::MainFrameTest {};

TEST_F(ProgramSettingsTest, ARateSetInTheSheetFromTheMenuIsTheRateOfTheNextNewDocument)
{
    ASSERT_NE(::GetMenuState(::GetMenu(frame_->m_hWnd), ID_SETTINGS, MF_BYCOMMAND), UINT(-1))
        << "the main frame's menu has no Settings item";
    bool typed = false;
    ModalScript script([&] {
        HWND sheet = ::GetActiveWindow();
        HWND page = (HWND)::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        if (!page)
            return false;
        if (!::GetDlgItem(page, IDC_ENV_SAMPLE_RATE)) {
            ::SendMessageA(sheet, PSM_SETCURSEL, kDataPage, 0);
            return false;
        }
        Type(page, IDC_ENV_SAMPLE_RATE, "32,000Hz");
        typed = true;
        Press(sheet, IDOK);
        return true;
    });
    frame_->SendMessage(WM_COMMAND, ID_SETTINGS, 0);
    ASSERT_TRUE(typed) << "the settings sheet did not open";
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();

    CMDIChildWnd* child = FileNew();
    ASSERT_NE(child, nullptr);
    auto* document = dynamic_cast<CNyMultiTrackDoc*>(child->GetActiveDocument());
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(32000u, document->GetSamplesPerSec());
}

TEST_F(ProgramSettingsTest, TheViewsPropertiesCommandOpensTheDocumentsProperties)
{
    CMDIChildWnd* child = FileNew();
    ASSERT_NE(child, nullptr);
    std::string title;
    ModalScript script([&] {
        HWND dialog = ::GetActiveWindow();
        char text[64] = {};
        ::GetWindowTextA(dialog, text, sizeof text);
        if (!::GetDlgItem(dialog, IDC_PROP_FORMAT))
            return false;
        title = text;
        Press(dialog, IDCANCEL);
        return true;
    });
    child->GetActiveView()->SendMessage(WM_COMMAND, kViewProperties, 0);
    EXPECT_EQ("Properties", title);
}

} // namespace
