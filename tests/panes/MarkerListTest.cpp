// The marker list on a document's labels: its first sort, deleting rows as one step, copying
// labels to all tracks as one step, and the CSV export.
#include "MarkerListDlg.h"
#include "PaneDocFixture.h"
#include "PanesIds.h"
#include "PositionText.h"
#include "RealInput.h"
#include "SelectionModel.h"

#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

class MarkerListTest : public PaneDocTest {
protected:
    void SetUp() override
    {
        PaneDocTest::SetUp();
        NewDocumentAt(8000);
        AddTrack(Tone(80000, 1), 1, 0);
        pane_ = CreateMarkerListPane(nullptr);
        ASSERT_TRUE(pane_);
        ::ShowWindow(::GetParent(pane_->m_hWnd), SW_SHOWNOACTIVATE);
        link_ = std::make_unique<DocumentTransportLink>(doc_.get(), nullptr);
    }
    void TearDown() override
    {
        if (pane_)
            ::DestroyWindow(::GetParent(pane_->m_hWnd));
        PaneDocTest::TearDown();
    }
    int AddLabel(const char* name, int kind, int64_t start, int64_t end, int trackIndex = -1)
    {
        LabelRecord record{};
        record.kind = kind;
        record.trackId = trackIndex < 0 ? -1 : doc_->GetTrackId(trackIndex);
        record.start = start;
        record.end = end;
        std::strncpy(record.name, name, sizeof record.name - 1);
        EXPECT_EQ(1, doc_->AddLabel(record));
        return record.id;
    }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (int row = 0; row < pane_->GetRowCount(); ++row)
            names.push_back(pane_->GetRowText(row, 0));
        return names;
    }

    HWND Item(int id) { return ::GetDlgItem(pane_->m_hWnd, id); }
    // What the list control itself shows: it asks the pane for the text of callback rows.
    std::string Shown(int row, int column)
    {
        char text[128] = "";
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(Item(IDC_MARKER_LIST), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // A row selected alone and focused in the list, which tells the pane as it does for a
    // click.
    void SelectRow(int row)
    {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED;
        ::SendMessageA(Item(IDC_MARKER_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(&none));
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(Item(IDC_MARKER_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
    }
    // The unit chosen in the combo as a user picks it: the combo's selection and its notice.
    void PickUnit(uint32_t unit)
    {
        HWND combo = Item(IDC_TIME_UNIT);
        const LRESULT count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
            if (static_cast<uint32_t>(::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == unit)
                ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        ::SendMessageA(pane_->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TIME_UNIT, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }
    void ListNotice(UINT code, int row, int column)
    {
        NMITEMACTIVATE notice{};
        notice.hdr.hwndFrom = Item(IDC_MARKER_LIST);
        notice.hdr.idFrom = IDC_MARKER_LIST;
        notice.hdr.code = code;
        notice.iItem = row;
        notice.iSubItem = column;
        ::SendMessageA(pane_->m_hWnd, WM_NOTIFY, IDC_MARKER_LIST, reinterpret_cast<LPARAM>(&notice));
    }
    void Click(int id) { ::SendMessageA(Item(id), BM_CLICK, 0, 0); }
    // The middle of a row's name cell on the screen.
    POINT RowPoint(int row)
    {
        RECT r{};
        r.left = LVIR_LABEL;
        ::SendMessageA(Item(IDC_MARKER_LIST), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        return kvtest::ScreenPoint(Item(IDC_MARKER_LIST), r.left + 8, (r.top + r.bottom) / 2);
    }
    // Pumps until the list shows `row` selected (input arrives through the message queue).
    bool WaitForSelectedRow(int row)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
            PumpMessages();
            if (pane_->GetSelectedItem() == row)
                return true;
            Sleep(5);
        }
        return false;
    }
    std::pair<int64_t, int64_t> DocSelection()
    {
        int64_t start = -1, end = -1;
        doc_->GetSelection()->GetSelection(&start, &end);
        return {start, end};
    }

    CMarkerListDlg* pane_ = nullptr;
    std::unique_ptr<DocumentTransportLink> link_;
};

// Edit Markers, opened modal by the list, gets a new name and its OK clicked.
void CALLBACK RenameInEditMarkers(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = ::FindWindowA(nullptr, "Edit Markers");
    if (!dialog || !::IsWindowVisible(dialog))
        return;
    ::KillTimer(nullptr, timer);
    ::SetDlgItemTextA(dialog, IDC_EDITMARK_NAME, "renamed");
    ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

TEST_F(MarkerListTest, ItsControlsReachItThroughTheirOwnMessages)
{
    AddLabel("beta", kLabelCue, 8000, 8000);
    AddLabel("alpha", kLabelSection, 16000, 24000, 0);
    pane_->SetView(link_.get());
    EXPECT_EQ("alpha", Shown(0, 0));
    EXPECT_EQ("1", Shown(0, 1));
    EXPECT_EQ("beta", Shown(1, 0));
    EXPECT_FALSE(::IsWindowEnabled(Item(IDC_MARKER_EDIT)));
    EXPECT_FALSE(::IsWindowEnabled(Item(IDC_MARKER_DELETE)));

    SelectRow(1);
    EXPECT_TRUE(::IsWindowEnabled(Item(IDC_MARKER_EDIT)));
    EXPECT_TRUE(::IsWindowEnabled(Item(IDC_MARKER_DELETE)));

    PickUnit(kTimeUnitSamples);
    EXPECT_EQ("8000", Shown(1, 2));
    EXPECT_EQ("8000", Shown(0, 4)) << "the section's length";
    ListNotice(LVN_COLUMNCLICK, -1, 2); // sorted by start
    EXPECT_EQ("beta", Shown(0, 0));

    // A double click selects its row, then tells the pane.
    SelectRow(0);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, RenameInEditMarkers);
    ListNotice(NM_DBLCLK, 0, 0);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ("renamed", Shown(0, 0));
    EXPECT_EQ(std::vector<std::string>{"Cue"}, UndoNames());

    SelectRow(1);
    Click(IDC_MARKER_DELETE);
    EXPECT_EQ(1, pane_->GetRowCount());
    EXPECT_EQ("renamed", Shown(0, 0));
}

// The rows exist only as the list draws them: a click on one, letters typed into the list and a
// row removed above the selected one all reach the label the row shows.
TEST_F(MarkerListTest, ClicksAndTypedNamesReachTheLabelOfTheRowDrawn)
{
    AddLabel("beta", kLabelCue, 8000, 8000);
    const int alpha = AddLabel("alpha", kLabelSection, 16000, 24000, 0);
    AddLabel("gamma", kLabelCue, 40000, 40000);
    AddLabel("gala", kLabelCue, 30000, 30000);
    pane_->SetView(link_.get());
    ::SetForegroundWindow(::GetParent(pane_->m_hWnd));
    ASSERT_EQ((std::vector<std::string>{"alpha", "beta", "gala", "gamma"}), Names());

    kvtest::Click(RowPoint(1));
    ASSERT_TRUE(WaitForSelectedRow(1));
    EXPECT_EQ(std::make_pair(int64_t(8000), int64_t(8000)), DocSelection()) << "the click went to beta";
    EXPECT_TRUE(::IsWindowEnabled(Item(IDC_MARKER_EDIT)));
    EXPECT_TRUE(::IsWindowEnabled(Item(IDC_MARKER_DELETE)));
    EXPECT_FALSE(::IsWindowEnabled(Item(IDC_MARKER_TO_ALL))) << "beta belongs to all tracks";

    ASSERT_EQ(Item(IDC_MARKER_LIST), ::GetFocus());
    kvtest::PressKey('G');
    kvtest::PressKey('A');
    kvtest::PressKey('M');
    ASSERT_TRUE(WaitForSelectedRow(3)) << "typed \"gam\" finds gamma, past gala";
    EXPECT_EQ(std::make_pair(int64_t(40000), int64_t(40000)), DocSelection());

    LabelRecord record{};
    ASSERT_TRUE(doc_->FindLabelById(alpha, &record));
    doc_->RemoveLabel(record);
    pane_->Refresh();
    EXPECT_EQ(3, pane_->GetRowCount());
    EXPECT_EQ(2, pane_->GetSelectedItem()) << "the selection follows gamma up one row";
    EXPECT_EQ("gamma", Shown(2, 0));
    EXPECT_EQ(std::make_pair(int64_t(40000), int64_t(40000)), DocSelection()) << "no row change reported";
}

TEST_F(MarkerListTest, FirstFillIsSortedByNameAndLaterLabelsAppend)
{
    AddLabel("beta", kLabelCue, 100, 100);
    AddLabel("alpha", kLabelSection, 300, 900, 0);
    AddLabel("gamma", kLabelCue, 50, 50);
    pane_->SetView(link_.get());
    EXPECT_EQ((std::vector<std::string>{"alpha", "beta", "gamma"}), Names());
    EXPECT_EQ("1", pane_->GetRowText(0, 1));
    EXPECT_EQ("All", pane_->GetRowText(1, 1));
    EXPECT_EQ("", pane_->GetRowText(1, 3)); // a cue has no end

    AddLabel("aaa", kLabelCue, 10, 10);
    pane_->Refresh();
    EXPECT_EQ("aaa", Names().back());
    pane_->SortByColumn(2); // Start, ascending
    EXPECT_EQ((std::vector<std::string>{"aaa", "gamma", "beta", "alpha"}), Names());
    pane_->SortByColumn(2); // descending
    EXPECT_EQ("alpha", Names().front());
}

// At first use (no widths saved) the time columns show their whole texts: the list's own
// measure of each cell's text (plus its margins) fits the column.
TEST_F(MarkerListTest, TimeColumnsShowWholeTimesUntilTheUserSizesThem)
{
    AddLabel("section", kLabelSection, 12345, 7 * 8000 + 4321, 0);
    pane_->SetView(link_.get());
    HWND list = Item(IDC_MARKER_LIST);
    for (int column = 2; column <= 4; ++column) {
        SCOPED_TRACE(column);
        const std::string text = Shown(0, column);
        ASSERT_GE(text.size(), 8u) << text;
        EXPECT_GE(ListView_GetColumnWidth(list, column), ListView_GetStringWidth(list, text.c_str()) + 12) << text;
    }
}

TEST_F(MarkerListTest, DeletingRowsIsOneCueStep)
{
    for (const char* name : {"a", "b", "c", "d"})
        AddLabel(name, kLabelCue, 100, 100);
    pane_->SetView(link_.get());
    pane_->SelectRows({0, 1, 3});
    pane_->DeleteMarkers();
    EXPECT_EQ(std::vector<std::string>{"c"}, Names());
    EXPECT_EQ(std::vector<std::string>{"Cue"}, UndoNames());
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    pane_->Refresh();
    EXPECT_EQ(4, pane_->GetRowCount());
}

TEST_F(MarkerListTest, ToAllTracksIsOneUndoableCueStep)
{
    const int id = AddLabel("take", kLabelSection, 800, 1600, 0);
    pane_->SetView(link_.get());
    pane_->SelectRows({0});
    pane_->ToAllTracks();
    LabelRecord record{};
    ASSERT_TRUE(doc_->FindLabelById(id, &record));
    EXPECT_EQ(-1, record.trackId);
    EXPECT_EQ("All", pane_->GetRowText(0, 1));
    EXPECT_EQ(std::vector<std::string>{"Cue"}, UndoNames());
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    ASSERT_TRUE(doc_->FindLabelById(id, &record));
    EXPECT_EQ(doc_->GetTrackId(0), record.trackId);
}

TEST_F(MarkerListTest, CsvRowsReadBackAsFiveFields)
{
    AddLabel("Verse, first", kLabelSection, 8000, 16000, 0);
    AddLabel("Hook \"x\"", kLabelCue, 4000, 4000);
    doc_->GetSettings().frameRate = 25.0;
    pane_->SetView(link_.get());
    pane_->SetUnit(kTimeUnitTimeCode);
    kvtest::ScratchFolder folder;
    const std::string path = folder.File("list.csv");
    ASSERT_EQ(0u, pane_->ExportCsv(path.c_str()));
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    std::string line;
    std::istringstream all(text.str());
    while (std::getline(all, line))
        lines.push_back(line);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("Name,Track,Start,End,Length\r", lines[1]);
    EXPECT_EQ("\"Hook \"\"x\"\"\",All,\"00 : 00 : 00, 12\",,\r", lines[2]);
    EXPECT_EQ("\"Verse, first\",1,\"00 : 00 : 01, 00\",\"00 : 00 : 02, 00\",\"00 : 00 : 01, 00\"\r", lines[3]);
}

// A failed export shows the system's text for the file error, its inserts left as written (there
// are no arguments for them), and the program's unknown-error text for a code without one.
TEST_F(MarkerListTest, AFailedExportShowsTheSystemsTextOrTheUnknownErrorText)
{
    auto systemText = [](DWORD code) {
        char text[512] = "";
        const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                         LANG_USER_DEFAULT, text, sizeof text, nullptr);
        std::string s(text, n);
        if (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0)
            s.resize(s.size() - 2);
        return s;
    };
    DWORD withInserts = 0, unknown = 0;
    for (DWORD code = 1; code < 20000 && !withInserts; ++code)
        if (systemText(code).find("%1") != std::string::npos)
            withInserts = code;
    for (DWORD code = 0xFFFF; code > 0xF000 && !unknown; --code)
        if (systemText(code).empty())
            unknown = code;
    ASSERT_NE(0u, withInserts);
    ASSERT_NE(0u, unknown);

    kvtest::ScratchFolder folder;
    const DWORD missingFolder = pane_->ExportCsv(folder.File("gone\\list.csv").c_str());
    ASSERT_NE(0u, missingFolder);
    const struct {
        DWORD code;
        std::string shown;
    } cases[] = {
        {missingFolder, systemText(missingFolder)},
        {withInserts, systemText(withInserts)},
        {unknown, "An unknown error occurred."},
    };
    std::vector<std::string> boxes;
    AfxSetMessageBoxHook([&boxes](const char* text, const char*, UINT) {
        boxes.push_back(text);
        return IDOK;
    });
    struct Unhook {
        ~Unhook() { AfxSetMessageBoxHook(nullptr); }
    } unhook;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        boxes.clear();
        pane_->ShowExportError(c.code);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_FALSE(c.shown.empty());
        EXPECT_EQ(c.shown, boxes[0]);
    }
}

} // namespace

