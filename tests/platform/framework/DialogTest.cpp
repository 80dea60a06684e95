// Modal and modeless dialogs from .rc templates: data exchange and validation.
#include "FrameworkTestSupport.h"

namespace {

std::string ItemText(HWND dialog, int id)
{
    char text[128] = "";
    ::GetDlgItemTextA(dialog, id, text, (int)sizeof text);
    return text;
}

void PressOK(HWND dialog)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(dialog, IDOK));
}

} // namespace

TEST_F(FrameworkTest, ModalDialogShowsMembersAndReadsThemBackOnOK)
{
    CValuesDlg dialog(m_app->MainFrame());
    std::map<int, std::string> shown;
    int shownKind = -2, shownChoiceB = -1;
    std::string shownKinds;
    ModalDriver driver([&]() {
        HWND hwnd = dialog.m_hWnd;
        if (!hwnd) return false;
        for (int id : { IDC_COUNT, IDC_NAME, IDC_GAIN }) shown[id] = ItemText(hwnd, id);
        shownKind = (int)::SendDlgItemMessageA(hwnd, IDC_KIND, CB_GETCURSEL, 0, 0);
        shownChoiceB = (int)::IsDlgButtonChecked(hwnd, IDC_RADIO_B);
        CString second;
        dialog.m_kindBox.GetLBText(1, second);
        shownKinds = std::to_string(dialog.m_kindBox.GetCount()) + " " + (const char*)second;
        ::SetDlgItemTextA(hwnd, IDC_COUNT, " 7 ");
        ::SetDlgItemTextA(hwnd, IDC_NAME, "second");
        ::CheckDlgButton(hwnd, IDC_ENABLED, BST_UNCHECKED);
        ::CheckRadioButton(hwnd, IDC_RADIO_A, IDC_RADIO_C, IDC_RADIO_C);
        ::SendDlgItemMessageA(hwnd, IDC_KIND, CB_SETCURSEL, 2, 0);
        ::SetDlgItemTextA(hwnd, IDC_GAIN, "0.25");
        PressOK(hwnd);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(shown[IDC_COUNT], "3");
    EXPECT_EQ(shown[IDC_NAME], "first");
    EXPECT_EQ(shown[IDC_GAIN], "0.5");
    EXPECT_EQ(shownKind, 0);
    EXPECT_EQ(shownChoiceB, 1);
    EXPECT_EQ(shownKinds, "3 Fancy");
    EXPECT_EQ(dialog.m_count, 7);
    EXPECT_STREQ(dialog.m_name, "second");
    EXPECT_EQ(dialog.m_enabled, 0);
    EXPECT_EQ(dialog.m_choice, 2);
    EXPECT_EQ(dialog.m_kind, 2);
    EXPECT_DOUBLE_EQ(dialog.m_gain, 0.25);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_nameEdit.m_hWnd, nullptr);   // the subclassed control went with the dialog
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FrameworkTest, InvalidValuesKeepTheDialogOpenAndChangeNothing)
{
    // Each bad input is refused with a message; the last, valid one is accepted.
    const struct { int id; const char* text; const char* message; } bad[] = {
        { IDC_COUNT, "42", "Please enter an integer between 1 and 10." },
        { IDC_COUNT, "seven", "Please enter an integer." },
        { IDC_COUNT, "", "Please enter an integer." },
        { IDC_GAIN, "1.5", "Please enter a number between 0 and 1." },
        { IDC_GAIN, "1e", "Please enter a number." },
        { IDC_NAME, "a name far too long", "Please enter no more than 12 characters." },
    };
    CValuesDlg dialog;
    std::vector<bool> stillOpen;
    ModalDriver driver([&]() {
        HWND hwnd = dialog.m_hWnd;
        // Wait until the dialog shows: a dialog that ended is hidden before it goes.
        if (!hwnd || !::IsWindowVisible(hwnd)) return false;
        for (const auto& b : bad) {
            ::SetDlgItemTextA(hwnd, IDC_COUNT, "5");
            ::SetDlgItemTextA(hwnd, IDC_GAIN, "0.5");
            ::SetDlgItemTextA(hwnd, IDC_NAME, "ok");
            ::SetDlgItemTextA(hwnd, b.id, b.text);
            PressOK(hwnd);
            stillOpen.push_back(::IsWindow(hwnd) && ::IsWindowVisible(hwnd));
            stillOpen.push_back(::GetFocus() == ::GetDlgItem(hwnd, b.id));
        }
        ::SetDlgItemTextA(hwnd, IDC_COUNT, "10");
        ::SetDlgItemTextA(hwnd, IDC_GAIN, "1");
        ::SetDlgItemTextA(hwnd, IDC_NAME, "twelve chars");
        PressOK(hwnd);
        return true;
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(m_shown.size(), std::size(bad));
    for (size_t i = 0; i < std::size(bad); ++i) EXPECT_EQ(m_shown[i].text, bad[i].message) << i;
    EXPECT_EQ(stillOpen, std::vector<bool>(2 * std::size(bad), true));
    EXPECT_EQ(dialog.m_count, 10);
    EXPECT_DOUBLE_EQ(dialog.m_gain, 1.0);
    EXPECT_STREQ(dialog.m_name, "twelve chars");
}

TEST_F(FrameworkTest, CancelLeavesTheMembersAsTheyWere)
{
    CValuesDlg dialog;
    ModalDriver driver([&]() {
        if (!dialog.m_hWnd) return false;
        ::SetDlgItemTextA(dialog.m_hWnd, IDC_COUNT, "9");
        ::SendMessageA(dialog.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_count, 3);
}

TEST_F(FrameworkTest, ModelessDialogTakesItsDataAndClosesByDestroying)
{
    CValuesDlg dialog;
    ASSERT_TRUE(dialog.Create(IDD_VALUES, m_app->MainFrame()));
    ASSERT_NE(dialog.m_hWnd, nullptr);
    EXPECT_EQ(ItemText(dialog.m_hWnd, IDC_COUNT), "3");
    ::SetDlgItemTextA(dialog.m_hWnd, IDC_COUNT, "4");
    PressOK(dialog.m_hWnd);
    EXPECT_EQ(dialog.m_count, 4);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, MessageBoxWithAStringIdShowsTheString)
{
    m_answers = { IDNO };
    EXPECT_EQ(AfxMessageBox(IDS_PROMPT, MB_YESNO), IDNO);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, "The sample prompt");
    EXPECT_EQ(m_shown[0].type & MB_TYPEMASK, (UINT)MB_YESNO);
}
