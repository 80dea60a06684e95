// The selection control's typed fields, the Edit Markers checks and the check list's boxes.
#include "CheckListCtrl.h"
#include "EditMarkersDlg.h"
#include "PaneDocFixture.h"
#include "PanesIds.h"
#include "PositionText.h"
#include "SelectionControlDlg.h"
#include "SelectionModel.h"

#include <commctrl.h>

namespace {

class SelectionControlTest : public PaneDocTest {
protected:
    void SetUp() override
    {
        PaneDocTest::SetUp();
        NewDocumentAt(44100);
        AddTrack(Tone(441000, 1), 1, 0);
        pane_ = CreateSelectionControlPane(nullptr);
        ASSERT_TRUE(pane_);
        ::ShowWindow(::GetParent(pane_->m_hWnd), SW_SHOWNOACTIVATE);
        link_ = std::make_unique<DocumentTransportLink>(doc_.get(), nullptr);
        pane_->SetView(link_.get());
    }
    void TearDown() override
    {
        if (pane_)
            ::DestroyWindow(::GetParent(pane_->m_hWnd));
        PaneDocTest::TearDown();
    }
    void Type(int id, const char* text)
    {
        ::SetDlgItemTextA(pane_->m_hWnd, id, text);
        ::SendDlgItemMessageA(pane_->m_hWnd, id, EM_SETMODIFY, TRUE, 0);
    }
    std::string Text(int id)
    {
        char buffer[128] = "";
        ::GetDlgItemTextA(pane_->m_hWnd, id, buffer, sizeof buffer);
        return buffer;
    }

    CSelectionControlDlg* pane_ = nullptr;
    std::unique_ptr<DocumentTransportLink> link_;
};

TEST_F(SelectionControlTest, TypedTimeIsReadAndShownInItsNormalForm)
{
    ::SendDlgItemMessageA(pane_->m_hWnd, IDC_SELCTRL_UNIT, CB_SETCURSEL, 0, 0); // hh:mm:ss
    Type(IDC_SELCTRL_START, "1:2:3.5");
    EXPECT_EQ(164206350, pane_->GetFieldValue(IDC_SELCTRL_START));
    EXPECT_EQ("01 : 02 : 03.500", Text(IDC_SELCTRL_START));
    Type(IDC_SELCTRL_START, "1:60:0");
    EXPECT_EQ(-1, pane_->GetFieldValue(IDC_SELCTRL_START));
}

TEST_F(SelectionControlTest, CommittedFieldsBecomeTheSelection)
{
    ::SendDlgItemMessageA(pane_->m_hWnd, IDC_SELCTRL_UNIT, CB_SETCURSEL, 3, 0); // samples
    pane_->UpdateFromSelection();
    // The focus is outside the pane: an end before the start is swapped.
    Type(IDC_SELCTRL_START, "2000");
    Type(IDC_SELCTRL_END, "500");
    EXPECT_TRUE(pane_->CommitField(IDC_SELCTRL_END));
    int64_t start = 0, end = 0;
    doc_->GetSelection()->GetSelection(&start, &end);
    EXPECT_EQ(500, start);
    EXPECT_EQ(2000, end);
    EXPECT_EQ("1500", Text(IDC_SELCTRL_LENGTH));
    // Past the document's end: refused, the selection stays.
    Type(IDC_SELCTRL_END, "999999");
    EXPECT_FALSE(pane_->CommitField(IDC_SELCTRL_END));
    doc_->GetSelection()->GetSelection(&start, &end);
    EXPECT_EQ(2000, end);
}

class EditMarkersTest : public PaneDocTest {
protected:
    void Open(int kind, int64_t start, int64_t end)
    {
        NewDocumentAt(8000);
        AddTrack(Tone(8000, 1), 1, 0);
        dialog_.sampleRate = 8000;
        dialog_.unit = kTimeUnitSamples;
        dialog_.document = doc_.get();
        dialog_.record.kind = kind;
        dialog_.record.trackId = -1;
        dialog_.record.start = start;
        dialog_.record.end = end;
        std::strcpy(dialog_.record.name, "mark");
        ASSERT_TRUE(dialog_.Create(IDD_EDIT_MARKERS, nullptr));
    }
    void Type(int id, const char* text)
    {
        ::SetDlgItemTextA(dialog_.m_hWnd, id, text);
        ::SendDlgItemMessageA(dialog_.m_hWnd, id, EM_SETMODIFY, TRUE, 0);
    }
    void TearDown() override
    {
        if (dialog_.m_hWnd)
            dialog_.DestroyWindow();
        PaneDocTest::TearDown();
    }
    CEditMarkersDlg dialog_;
};

TEST_F(EditMarkersTest, SectionOfLengthZeroIsRefused)
{
    Open(kLabelSection, 100, 200);
    Type(IDC_EDITMARK_END, "100");
    EXPECT_FALSE(dialog_.TestField(IDC_EDITMARK_END));
    EXPECT_EQ(200, dialog_.record.end);
    Type(IDC_EDITMARK_END, "300");
    EXPECT_TRUE(dialog_.TestField(IDC_EDITMARK_END));
    EXPECT_EQ(300, dialog_.record.end);
    // Start and length fixed: a new length moves the end.
    dialog_.SetMode(CEditMarkersDlg::kStartLength);
    Type(IDC_EDITMARK_LENGTH, "50");
    EXPECT_TRUE(dialog_.TestField(IDC_EDITMARK_LENGTH));
    EXPECT_EQ(100, dialog_.record.start);
    EXPECT_EQ(150, dialog_.record.end);
    // End and length fixed: a start below 0 is refused.
    dialog_.SetMode(CEditMarkersDlg::kEndLength);
    Type(IDC_EDITMARK_LENGTH, "151");
    EXPECT_FALSE(dialog_.TestField(IDC_EDITMARK_LENGTH));
    EXPECT_EQ(100, dialog_.record.start);
}

TEST_F(EditMarkersTest, LongNameKeepsItsTerminator)
{
    Open(kLabelSection, 100, 200);
    ::SetDlgItemTextA(dialog_.m_hWnd, IDC_EDITMARK_NAME, std::string(300, 'n').c_str());
    dialog_.OnOK();
    EXPECT_EQ(255u, strnlen(dialog_.record.name, sizeof dialog_.record.name));
}

TEST_F(EditMarkersTest, CueHasNoEndOrLength)
{
    Open(kLabelCue, 100, 100);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog_.m_hWnd, IDC_EDITMARK_END)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog_.m_hWnd, IDC_EDITMARK_LENGTH)));
    Type(IDC_EDITMARK_START, "400");
    // The change is taken, and the field check asks for a second OK.
    EXPECT_FALSE(dialog_.TestField(IDC_EDITMARK_START));
    EXPECT_EQ(400, dialog_.record.start);
    EXPECT_EQ(400, dialog_.record.end);
    EXPECT_TRUE(dialog_.TestField(IDC_EDITMARK_START));
}

// A window holding a check list, handing it its owner-drawn rows.
class ListHost : public CWnd {
public:
    CCheckListCtrl list;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_DRAWITEM && wParam == 1) {
            list.DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(CheckList, ClickOnTheBoxTogglesWithoutSelecting)
{
    for (DWORD ownerDraw : {DWORD(0), DWORD(LVS_OWNERDRAWFIXED)}) {
        ListHost host;
        ASSERT_TRUE(host.CreateEx(0, nullptr, "Host", WS_POPUP | WS_VISIBLE, CRect(50, 50, 450, 350), nullptr, 0));
        ASSERT_TRUE(host.list.CWnd::Create(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | ownerDraw,
                                           CRect(0, 0, 400, 300), &host, 1));
        HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 2, 0);
        HDC screen = GetDC(nullptr);
        for (int i = 0; i < 2; ++i) {
            HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
            ImageList_Add(images, bitmap, nullptr);
            DeleteObject(bitmap);
        }
        ReleaseDC(nullptr, screen);
        ListView_SetImageList(host.list.m_hWnd, images, LVSIL_STATE);
        host.list.InsertColumn(0, "Track", LVCFMT_LEFT, 200);
        host.list.InsertColumn(1, "Length", LVCFMT_RIGHT, 80);
        for (int row = 0; row < 2; ++row) {
            host.list.InsertItem(row, row ? "Second" : "First");
            host.list.SetChecked(row, false);
        }
        RECT icon{LVIR_ICON, 0, 0, 0};
        host.list.SendMessage(LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&icon));
        RECT label{LVIR_LABEL, 0, 0, 0};
        host.list.SendMessage(LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&label));
        const int y = (icon.top + icon.bottom) / 2;
        host.list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(icon.left - 8, y));
        host.list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(icon.left - 8, y));
        EXPECT_TRUE(host.list.IsChecked(1)) << ownerDraw;
        EXPECT_FALSE(host.list.IsChecked(0));
        EXPECT_EQ(-1, ListView_GetNextItem(host.list.m_hWnd, -1, LVNI_SELECTED)) << ownerDraw;
        host.list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(label.left + 20, y));
        host.list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(label.left + 20, y));
        PumpMessages();
        EXPECT_EQ(1, ListView_GetNextItem(host.list.m_hWnd, -1, LVNI_SELECTED)) << ownerDraw;
        EXPECT_TRUE(host.list.IsChecked(1));
        host.DestroyWindow();
        ImageList_Destroy(images);
    }
}

TEST(CheckList, ShortStringsEndInDots)
{
    CClientDC dc(GetDesktopWindow());
    const int width = dc.GetTextExtent("Abcdefgh").cx;
    EXPECT_EQ("Abcdefgh", CCheckListCtrl::MakeShortString(&dc, "Abcdefgh", width + 4, 4));
    const std::string cut = CCheckListCtrl::MakeShortString(&dc, "Abcdefgh", width / 2, 4);
    EXPECT_EQ("...", cut.substr(cut.size() - 3));
    EXPECT_LT(cut.size(), 11u);
    EXPECT_EQ("W...", CCheckListCtrl::MakeShortString(&dc, "W", 2, 4));
}

} // namespace
