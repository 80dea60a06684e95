// A journal whose later edits change or delete labels replays onto a fresh document whatever
// was made and taken back before them (a label made and taken back keeps its place in the
// session's table but is not made again by the replay, so the ids of later labels differ).
// Records of the older form (label edits naming the label by its id alone, new tracks without
// their label's name) still replay.
#include "ClipboardCommands.h"
#include "CommandSupport.h"
#include "CopyTrackCommand.h"
#include "DocumentPrint.h"
#include "EditFixture.h"
#include "JournalSupport.h"
#include "MarkCommands.h"
#include "TrackCommands.h"

#include <functional>

using namespace kvtest;

namespace {

class LabelReplay : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        item_ = MakeItem("held.raw", 3000, 1, 16, 44100);
    }
    // Two mono tracks of sound, as every session and its replay start.
    CNyMultiTrackDoc* Base(bool second)
    {
        CNyMultiTrackDoc* doc = second ? SecondDoc({1, 1}, 44100) : NewDoc({1, 1});
        PlaceItem(doc, 0, 0, item_.Get());
        PlaceItem(doc, 1, 0, item_.Get());
        return doc;
    }
    std::string NewJournal() { return scratch_.File("journal" + std::to_string(journals_++) + ".tmp"); }

    ComRef<IUnknown> item_;
    int journals_ = 0;
};

HRESULT Record(CNyMultiTrackDoc* doc, IEditCommand* command)
{
    return doc->GetHistory()->Do(command, TRUE);
}

// The newest live label of the table.
LabelRecord NewestLabel(CNyMultiTrackDoc* doc)
{
    LabelRecord found{}, record{};
    for (int i = 0; doc->GetLabels().GetAt(i, &record); ++i)
        if (record.id > 0)
            found = record;
    return found;
}

void SelectRange(CNyMultiTrackDoc* doc, int64_t start, int64_t end, int track)
{
    doc->GetSelection()->SetSelection(start, end, TRUE);
    doc->SetTrackSelected(-1, FALSE);
    doc->SetTrackSelected(track, TRUE);
}

TEST_F(LabelReplay, LaterLabelEditsReplayWhateverWasMadeAndTakenBackBefore)
{
    using Steps = std::function<void(CNyMultiTrackDoc*)>;
    auto cue = [](CNyMultiTrackDoc* d, int track, int64_t at) {
        ASSERT_EQ(S_OK, Record(d, ComRef<IEditCommand>(NewCommand<AddMarkCommand>(nullptr, d, track, at, 0, 0)).Get()));
    };
    auto undo = [](CNyMultiTrackDoc* d) { ASSERT_EQ(S_OK, d->GetHistory()->Undo()); };
    struct Case {
        const char* what;
        Steps steps;
    };
    const Case cases[] = {
        {"a track added and taken back, a cue, a range deleted before it",
         [&](CNyMultiTrackDoc* d) {
             ASSERT_EQ(S_OK, Record(d, ComRef<IEditCommand>(NewCommand<InsertTrackCommand>(nullptr, d, WORD(1), -1)).Get()));
             undo(d);
             cue(d, 0, 2000);
             SelectRange(d, 100, 300, 0);
             ASSERT_EQ(S_OK, Record(d, ComRef<IEditCommand>(NewCommand<DeleteCommand>(d)).Get()));
         }},
        {"a cue added and taken back, a cue, that cue dragged",
         [&](CNyMultiTrackDoc* d) {
             cue(d, 0, 500);
             undo(d);
             cue(d, 1, 700);
             LabelRecord moved = NewestLabel(d);
             moved.start = moved.end = 900;
             ASSERT_EQ(S_OK, Record(d, ComRef<IEditCommand>(NewCommand<ModMarkCommand>(nullptr, d, moved)).Get()));
         }},
        {"a track copy taken back, a cue, that cue deleted",
         [&](CNyMultiTrackDoc* d) {
             ASSERT_EQ(S_OK, Record(d, ComRef<IEditCommand>(NewCommand<CopyTrackCommand>(nullptr, d, 0, 1)).Get()));
             undo(d);
             cue(d, 0, 400);
             ASSERT_EQ(S_OK,
                       Record(d, ComRef<IEditCommand>(NewCommand<DelMarkCommand>(nullptr, d, NewestLabel(d).id)).Get()));
         }},
        {"a cue taken back, cues on both tracks, the second track deleted with its labels",
         [&](CNyMultiTrackDoc* d) {
             cue(d, 1, 100);
             undo(d);
             cue(d, 0, 200);
             cue(d, 1, 300);
             ASSERT_TRUE(d->DeleteTrack(1));
         }},
        {"two cues saying the same, one taken back, the other deleted",
         [&](CNyMultiTrackDoc* d) {
             cue(d, 0, 600);
             cue(d, 0, 600);
             undo(d);
             ASSERT_EQ(S_OK,
                       Record(d, ComRef<IEditCommand>(NewCommand<DelMarkCommand>(nullptr, d, NewestLabel(d).id)).Get()));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CNyMultiTrackDoc* doc = Base(false);
        const std::string path = NewJournal();
        ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
        ASSERT_EQ(S_OK, journal->Open(path.c_str()));
        WriteDocumentRecord(journal.Get());
        c.steps(doc);
        if (HasFatalFailure())
            return;
        const std::string session = ContentPrint(doc);
        const std::vector<std::string> stack = DescribeUndo(doc->GetHistory());
        journal->Close();

        CNyMultiTrackDoc* replayed = Base(true);
        ASSERT_EQ(S_OK, QueryCom<IJournalFile>(replayed->GetHistory())->Open(path.c_str()));
        EXPECT_EQ(stack, DescribeUndo(replayed->GetHistory()));
        EXPECT_EQ(session, ContentPrint(replayed));
        // And back to the start, step by step.
        while (replayed->GetHistory()->Undo() == S_OK) {
        }
        EXPECT_EQ(ContentPrint(Base(false)), ContentPrint(replayed));
        QueryCom<IJournalFile>(replayed->GetHistory())->Close();
    }
}

TEST_F(LabelReplay, RecordsOfTheOlderFormStillReplay)
{
    CNyMultiTrackDoc* doc = Base(false);
    LabelRecord first{}, second{};
    first.kind = second.kind = kLabelCue;
    first.trackId = second.trackId = -1;
    first.start = first.end = 100;
    second.start = second.end = 200;
    doc->GetLabels().Add(first);
    doc->GetLabels().Add(second);

    // "delmark" of 264 bytes: the id at 260.
    Bytes del = Header(DelMarkCommand::kLegacyRecordSize, "delmark", "X");
    Append(del, Bytes{0, 0, uint8_t(second.id), 0, 0, 0});
    // "modmark" of 542 bytes: the new record at 258, its track as an index.
    LabelRecord moved = first;
    moved.start = moved.end = 150;
    Bytes mod = Header(ModMarkCommand::kLegacyRecordSize, "modmark", "M");
    Append(mod, Bytes(reinterpret_cast<const uint8_t*>(&moved), reinterpret_cast<const uint8_t*>(&moved + 1)));
    // "inserttrack" of 264 bytes: no name for the new track's label, which gets the default.
    Bytes insert = Header(InsertTrackCommand::kLegacyRecordSize, "inserttrack", "T");
    Append(insert, Bytes{1, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    for (const Bytes& record : {del, mod, insert}) {
        Bytes chunk(8 + 8);
        std::memcpy(chunk.data(), "KSCMKCMD", 8);
        const uint64_t size = record.size();
        std::memcpy(chunk.data() + 8, &size, 8);
        Append(chunk, record);
        ComRef<IEditCommand> loaded = Loaded(chunk, doc, "legacy.bin");
        ASSERT_TRUE(loaded);
        ASSERT_EQ(S_OK, QueryCom<IPersistCommand>(loaded.Get())->OnLoaded());
    }
    LabelRecord found{};
    ASSERT_TRUE(doc->FindLabelById(second.id, &found));
    EXPECT_LT(found.id, 0) << "the delete reached another label";
    ASSERT_TRUE(doc->FindLabelById(first.id, &found));
    EXPECT_EQ(150, found.start);
    ASSERT_EQ(3, doc->GetTrackCount());
    ASSERT_TRUE(doc->GetTrackLabel(2, &found));
    EXPECT_STREQ("Track2", found.name) << "the next default name";
}

} // namespace
