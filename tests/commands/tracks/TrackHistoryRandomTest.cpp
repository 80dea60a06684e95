// Seeded random runs of these edits through the document's history with its journal: after
// every undo and redo the document matches what it was at that place in the history, and the
// journal replayed onto a fresh document gives the document as it ends.
#include "DocumentPrint.h"
#include "TrackCommandFixture.h"

#include "TrackEdits.h"

#include <map>
#include <random>

using namespace kvtest;

TEST_F(TrackCommandTest, RandomHistoriesOfTheseEditsUndoRedoAndReplay)
{
    const std::vector<WORD> channels{1, 2, 1};
    const std::vector<int> frames{3000, 2500, 1200};
    const std::vector<int64_t> starts{0, 700, 1500};
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        std::mt19937 random(seed);
        CNyMultiTrackDoc* doc = Build(channels, frames, starts);
        ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
        std::string path = files_.File("KVC" + std::to_string(seed) + ".tmp");
        ASSERT_EQ(journal->Open(path.c_str()), S_OK);
        WriteDocumentRecord(journal.Get());

        std::vector<std::string> prints{ContentPrint(doc)}; // at each depth of the undo stack
        size_t depth = 0, redoable = 0;
        std::map<std::string, int> done;
        for (int step = 0; step < 60; ++step) {
            unsigned action = random() % 4;
            if (action == 0 && depth > 0) {
                ASSERT_EQ(doc->GetHistory()->Undo(), S_OK) << seed << " step " << step;
                --depth;
                ++redoable;
                ASSERT_EQ(ContentPrint(doc), prints[depth]) << seed << " undo at step " << step;
            } else if (action == 1 && redoable > 0) {
                ASSERT_EQ(doc->GetHistory()->Redo(), S_OK) << seed << " step " << step;
                ++depth;
                --redoable;
                ASSERT_EQ(ContentPrint(doc), prints[depth]) << seed << " redo at step " << step;
            } else {
                std::string kind;
                ComRef<IEditCommand> edit = RandomTrackEdit(doc, random, &kind);
                if (!edit)
                    continue;
                HRESULT hr = doc->GetHistory()->Do(edit.Get(), TRUE);
                if (FAILED(hr)) {
                    // Refused edits (a trim outside every track, a split's limits) leave the
                    // document as it was.
                    ASSERT_EQ(ContentPrint(doc), prints[depth]) << seed << " refused " << kind << " at " << step;
                    continue;
                }
                ++done[kind];
                prints.resize(++depth);
                prints.push_back(ContentPrint(doc));
                redoable = 0;
            }
        }
        std::string end = ContentPrint(doc);
        std::vector<std::string> stack = DescribeUndo(doc->GetHistory());
        EXPECT_GE(done.size(), 8u) << seed << ": most types took part";
        ASSERT_EQ(journal->Close(), S_OK);
        journal.Reset();
        Bytes bytes = ReadFileBytes(path);

        // The edited document stays open, as after a crash: the engine keeps the temporary
        // files its items use (refreshed peaks) until no item uses them.
        auto keptDoc = std::move(doc_);
        auto keptView = std::move(view_);
        CNyMultiTrackDoc* replayed = Build(channels, frames, starts);
        WriteFileBytes(path, bytes);
        ComRef<IJournalFile> again = QueryCom<IJournalFile>(replayed->GetHistory());
        ASSERT_EQ(again->Open(path.c_str()), S_OK) << seed << ::testing::PrintToString(stack);
        EXPECT_EQ(ContentPrint(replayed), end) << seed << ::testing::PrintToString(stack);
        again->Close();
        keptView.reset();
        keptDoc.reset();
    }
}
