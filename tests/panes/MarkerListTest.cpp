// The marker list on a document's labels: its first sort, deleting rows as one step, copying
// labels to all tracks as one step, and the CSV export.
#include "MarkerListDlg.h"
#include "PaneDocFixture.h"
#include "PositionText.h"

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

    CMarkerListDlg* pane_ = nullptr;
    std::unique_ptr<DocumentTransportLink> link_;
};

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

} // namespace
