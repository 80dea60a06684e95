// Modal and modeless dialogs from .rc templates: data exchange and validation.
#include "FrameworkTestSupport.h"

namespace {

std::string ItemText(HWND dialog, int id)
{
    char text[128] = "";
    ::GetDlgItemTextA(dialog, id, text, static_cast<int>(sizeof text));
    return text;
}

void PressOK(HWND dialog)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
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
        if (!hwnd)
            return false;
        for (int id : {IDC_COUNT, IDC_NAME, IDC_GAIN})
            shown[id] = ItemText(hwnd, id);
        shownKind = static_cast<int>(::SendDlgItemMessageA(hwnd, IDC_KIND, CB_GETCURSEL, 0, 0));
        shownChoiceB = static_cast<int>(::IsDlgButtonChecked(hwnd, IDC_RADIO_B));
        CString second;
        dialog.m_kindBox.GetLBText(1, second);
        shownKinds = std::to_string(dialog.m_kindBox.GetCount()) + " " + static_cast<const char*>(second);
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
    EXPECT_EQ(dialog.m_nameEdit.m_hWnd, nullptr); // the subclassed control went with the dialog
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FrameworkTest, InvalidValuesKeepTheDialogOpenAndChangeNothing)
{
    // Each bad input is refused with a message; the last, valid one is accepted.
    const struct {
        int id;
        const char* text;
        const char* message;
    } bad[] = {
        {IDC_COUNT, "42", "Please enter an integer between 1 and 10."},
        {IDC_COUNT, "seven", "Please enter an integer."},
        {IDC_COUNT, "", "Please enter an integer."},
        {IDC_GAIN, "1.5", "Please enter a number between 0 and 1."},
        {IDC_GAIN, "1e", "Please enter a number."},
        {IDC_NAME, "a name far too long", "Please enter no more than 12 characters."},
    };
    CValuesDlg dialog;
    std::vector<bool> stillOpen;
    ModalDriver driver([&]() {
        HWND hwnd = dialog.m_hWnd;
        // Wait until the dialog shows: a dialog that ended is hidden before it goes.
        if (!hwnd || !::IsWindowVisible(hwnd))
            return false;
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
    for (size_t i = 0; i < std::size(bad); ++i)
        EXPECT_EQ(m_shown[i].text, bad[i].message) << i;
    EXPECT_EQ(stillOpen, std::vector<bool>(2 * std::size(bad), true));
    EXPECT_EQ(dialog.m_count, 10);
    EXPECT_DOUBLE_EQ(dialog.m_gain, 1.0);
    EXPECT_STREQ(dialog.m_name, "twelve chars");
}

TEST_F(FrameworkTest, CancelLeavesTheMembersAsTheyWere)
{
    CValuesDlg dialog;
    ModalDriver driver([&]() {
        if (!dialog.m_hWnd)
            return false;
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
    m_answers = {IDNO};
    EXPECT_EQ(AfxMessageBox(IDS_PROMPT, MB_YESNO), IDNO);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, "The sample prompt");
    EXPECT_EQ(m_shown[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
}

TEST_F(FrameworkTest, ModalDialogDisablesTheFloatingPanesUntilItEnds)
{
    CSampleMiniFrame* pane = new CSampleMiniFrame;
    ASSERT_TRUE(pane->Create(nullptr, "Pane", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), m_app->MainFrame()));
    CValuesDlg dialog(m_app->MainFrame());
    bool paneEnabled = true, dialogEnabled = false;
    ModalDriver driver([&]() {
        if (!dialog.m_hWnd)
            return false;
        paneEnabled = pane->IsWindowEnabled() != FALSE;
        dialogEnabled = dialog.IsWindowEnabled() != FALSE;
        dialog.EndDialog(IDCANCEL);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(paneEnabled);
    EXPECT_TRUE(dialogEnabled);
    EXPECT_TRUE(pane->IsWindowEnabled());
    EXPECT_TRUE(m_app->MainFrame()->IsWindowEnabled());

    // The frame's own modal state still restores exactly what it disabled.
    m_app->MainFrame()->BeginModalState();
    EXPECT_FALSE(pane->IsWindowEnabled());
    m_app->MainFrame()->EndModalState();
    EXPECT_TRUE(pane->IsWindowEnabled());
    pane->DestroyWindow();
}

TEST_F(FrameworkTest, ComboTextExchangeSelectsOnlyWhatTheValueNames)
{
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP, CRect(0, 0, 200, 200), nullptr, 0));
    const int kList = 101, kEditable = 102;
    HWND list = ::CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, host.m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kList)), nullptr, nullptr);
    HWND editable = ::CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWN, 0, 0, 100, 100, host.m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditable)), nullptr, nullptr);
    for (HWND combo : {list, editable})
        for (const char* item : {"16 bit extended", "8 bit", "16 bit"})
            ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));

    const struct {
        int id;
        const char* value;
        int selected;
        const char* readBack;
    } cases[] = {
        {kList, "16 bit", 2, "16 bit"}, // the equal item, not the longer one first in the list
        {kList, "", -1, ""},            // nothing named: nothing chosen
        {kList, "8", 1, "8 bit"},       // a list shows the item the value begins
        {kEditable, "16 bit", 2, "16 bit"},
        {kEditable, "44,100Hz", -1, "44,100Hz"}, // typed text stays as it is
        {kEditable, "", -1, ""},
    };
    for (const auto& c : cases) {
        CString value = c.value;
        CDataExchange load(&host, FALSE);
        DDX_CBString(&load, c.id, value);
        EXPECT_EQ(static_cast<int>(::SendDlgItemMessageA(host.m_hWnd, c.id, CB_GETCURSEL, 0, 0)), c.selected)
            << c.id << " " << c.value;
        CString back;
        CDataExchange save(&host, TRUE);
        DDX_CBString(&save, c.id, back);
        EXPECT_STREQ(back, c.readBack) << c.id << " " << c.value;
    }
    host.DestroyWindow();
}

TEST_F(FrameworkTest, DialogOverAFloatingPaneIsModalForTheWholeProgram)
{
    CSampleMainFrame* main = m_app->MainFrame();
    CSampleMiniFrame* owner = new CSampleMiniFrame;
    CSampleMiniFrame* other = new CSampleMiniFrame;
    ASSERT_TRUE(owner->Create(nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), main));
    ASSERT_TRUE(other->Create(nullptr, "Other", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), main));
    CValuesDlg dialog(owner);
    bool mainEnabled = true, ownerEnabled = true, otherEnabled = true, dialogEnabled = false;
    ModalDriver driver([&]() {
        if (!dialog.m_hWnd)
            return false;
        mainEnabled = main->IsWindowEnabled() != FALSE;
        ownerEnabled = owner->IsWindowEnabled() != FALSE;
        otherEnabled = other->IsWindowEnabled() != FALSE;
        dialogEnabled = dialog.IsWindowEnabled() != FALSE;
        dialog.EndDialog(IDCANCEL);
        return true;
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(mainEnabled);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_FALSE(otherEnabled);
    EXPECT_TRUE(dialogEnabled);
    EXPECT_TRUE(main->IsWindowEnabled());
    EXPECT_TRUE(owner->IsWindowEnabled());
    EXPECT_TRUE(other->IsWindowEnabled());
    owner->DestroyWindow();
    other->DestroyWindow();
}

TEST_F(FrameworkTest, SheetsAndFileDialogsOverAPaneAreModalForTheWholeProgramToo)
{
    CSampleMainFrame* main = m_app->MainFrame();
    CSampleMiniFrame* pane = new CSampleMiniFrame;
    ASSERT_TRUE(pane->Create(nullptr, "Pane", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), main));
    CWnd* inner = new CWnd; // a child of the pane stands for the pane's dialog
    ASSERT_TRUE(inner->Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 50, 50), pane, AFX_IDW_PANE_FIRST));

    bool mainEnabled = true, paneEnabled = true;
    {
        CPageOne one;
        CPropertySheet sheet("Settings", inner);
        sheet.AddPage(&one);
        ModalDriver driver([&]() {
            if (!sheet.m_hWnd || !one.m_hWnd)
                return false;
            mainEnabled = main->IsWindowEnabled() != FALSE;
            paneEnabled = pane->IsWindowEnabled() != FALSE;
            sheet.PressButton(PSBTN_CANCEL);
            return true;
        });
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
        EXPECT_FALSE(mainEnabled);
        EXPECT_FALSE(paneEnabled);
        EXPECT_TRUE(main->IsWindowEnabled());
        EXPECT_TRUE(pane->IsWindowEnabled());
    }
    {
        mainEnabled = paneEnabled = true;
        CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, "All Files (*.*)|*.*||", inner);
        ModalDriver driver([&]() {
            if (!dialog.m_hWnd)
                return false;
            mainEnabled = main->IsWindowEnabled() != FALSE;
            paneEnabled = pane->IsWindowEnabled() != FALSE;
            ::PostMessageA(dialog.GetExplorerWindow(), WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_FALSE(mainEnabled);
        EXPECT_FALSE(paneEnabled);
        EXPECT_TRUE(main->IsWindowEnabled());
        EXPECT_TRUE(pane->IsWindowEnabled());
    }
    inner->DestroyWindow();
    delete inner;
    pane->DestroyWindow();
}
