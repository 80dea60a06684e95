// A two-page property sheet: pages exchange data on leaving and on OK.
#include "FrameworkTestSupport.h"

TEST_F(FrameworkTest, PropertySheetOKKeepsBothPagesAndRemembersTheLastPage)
{
    CPageOne one;
    CPageTwo two;
    CPropertySheet sheet("Settings", m_app->MainFrame());
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    std::string shownNumber;
    ModalDriver driver([&]() {
        if (!sheet.m_hWnd || !one.m_hWnd)
            return false;
        char text[32] = "";
        ::GetDlgItemTextA(one.m_hWnd, IDC_PAGE_NUMBER, text, static_cast<int>(sizeof text));
        shownNumber = text;
        ::SetDlgItemTextA(one.m_hWnd, IDC_PAGE_NUMBER, "12");
        sheet.SetActivePage(1);
        ::SetDlgItemTextA(two.m_hWnd, IDC_PAGE_TEXT, "changed");
        sheet.PressButton(PSBTN_OK);
        return true;
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(shownNumber, "4");
    EXPECT_EQ(one.m_number, 12);
    EXPECT_STREQ(two.m_text, "changed");
    EXPECT_EQ(one.m_applied, 1);
    EXPECT_EQ(two.m_activations, 1);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, PropertySheetCancelReturnsCancelAndAppliesNothing)
{
    CPageOne one;
    CPageTwo two;
    CPropertySheet sheet("Settings");
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    ModalDriver driver([&]() {
        if (!sheet.m_hWnd || !one.m_hWnd)
            return false;
        ::SetDlgItemTextA(one.m_hWnd, IDC_PAGE_NUMBER, "13");
        sheet.PressButton(PSBTN_CANCEL);
        return true;
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(one.m_number, 4);
    EXPECT_EQ(one.m_applied, 0);
}

TEST_F(FrameworkTest, PageWithABadValueCannotBeLeft)
{
    CPageOne one;
    CPageTwo two;
    CPropertySheet sheet("Settings", nullptr, 0);
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    int pageAfterBadValue = -1;
    ModalDriver driver([&]() {
        if (!sheet.m_hWnd || !one.m_hWnd)
            return false;
        ::SetDlgItemTextA(one.m_hWnd, IDC_PAGE_NUMBER, "100");
        sheet.SetActivePage(1);
        pageAfterBadValue = sheet.GetActiveIndex();
        ::SetDlgItemTextA(one.m_hWnd, IDC_PAGE_NUMBER, "5");
        sheet.PressButton(PSBTN_OK);
        return true;
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(pageAfterBadValue, 0);
    ASSERT_FALSE(m_shown.empty());
    EXPECT_EQ(m_shown[0].text, "Please enter an integer between 0 and 99.");
    EXPECT_EQ(one.m_number, 5);
}

TEST_F(FrameworkTest, PropertySheetStartsAtTheAskedPage)
{
    CPageOne one;
    CPageTwo two;
    CPropertySheet sheet("Settings", nullptr, 1);
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    int startIndex = -1;
    ModalDriver driver([&]() {
        if (!sheet.m_hWnd)
            return false;
        startIndex = sheet.GetActiveIndex();
        sheet.PressButton(PSBTN_CANCEL);
        return true;
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(startIndex, 1);
    EXPECT_EQ(two.m_activations, 1);
    EXPECT_EQ(one.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, SheetShownModelessOnceRunsModalLater)
{
    CPageOne one;
    CPageTwo two;
    CPropertySheet sheet("Settings", m_app->MainFrame());
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    ASSERT_TRUE(sheet.Create());
    EXPECT_NE(sheet.m_hWnd, nullptr);
    sheet.DestroyWindow();
    PumpAndIdle(*m_app);
    EXPECT_EQ(sheet.m_hWnd, nullptr);

    bool ranModal = false;
    ModalDriver driver([&]() {
        if (!sheet.m_hWnd || !one.m_hWnd)
            return false;
        ranModal = true;
        sheet.PressButton(PSBTN_OK);
        return true;
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(ranModal);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
}
