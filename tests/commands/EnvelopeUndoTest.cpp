// Undo of the edits that put envelope points where points already stand gives those points
// back with their values, also after the journal was replayed into a fresh document.
#include "CommandSupport.h"
#include "EditFixture.h"
#include "EnvelopeCommands.h"
#include "JournalSupport.h"
#include "TrimCommand.h"

#include <functional>

using namespace kvtest;

namespace {

using Points = std::vector<std::pair<int64_t, float>>;

Points PointsOf(CNyMultiTrackDoc* doc, int track)
{
    ComRef<IMtEnvelopePointEnum> points;
    TrackEnvelope(doc, track, 0)->EnumPoints(points.Out());
    Points out;
    MtEnvelopePointItem item{};
    int64_t position = 0;
    while (points && points->Next(&item) == S_OK)
        out.push_back({position += item.distance, item.value});
    return out;
}

class EnvelopeUndo : public EditTest {
protected:
    // One mono track of 2000 frames with level points at 500 (0.5) and 1200 (0.25).
    CNyMultiTrackDoc* Base(bool second)
    {
        CNyMultiTrackDoc* doc = second ? SecondDoc({1}, 44100) : NewDoc({1});
        PlaceItem(doc, 0, 0, item_.Get());
        EXPECT_EQ(S_OK, TrackEnvelope(doc, 0, 0)->InsertPoint(500, 0.5f));
        EXPECT_EQ(S_OK, TrackEnvelope(doc, 0, 0)->InsertPoint(1200, 0.25f));
        return doc;
    }
    void SetUp() override
    {
        EditTest::SetUp();
        item_ = MakeItem("held.raw", 2000, 1, 16, 44100);
    }
    ComRef<IUnknown> item_;
    int journals_ = 0;
};

TEST_F(EnvelopeUndo, AnEditOverAStandingPointGivesItBackOnUndoAlsoAfterReplay)
{
    struct Case {
        const char* what;
        std::function<ComRef<IEditCommand>(CNyMultiTrackDoc*)> make;
    };
    const Case cases[] = {
        {"insert over a point",
         [](CNyMultiTrackDoc* d) {
             return ComRef<IEditCommand>(NewCommand<InsertEnvelopePointCommand>(nullptr, d, 0, 0, 500, 0.9f));
         }},
        {"move onto a point",
         [](CNyMultiTrackDoc* d) {
             return ComRef<IEditCommand>(NewCommand<MoveEnvelopePointCommand>(nullptr, d, 0, 0, 1200, 500, 0.75f));
         }},
        {"trim whose ends hold points",
         [](CNyMultiTrackDoc* d) {
             d->GetSelection()->SetSelection(500, 1201, TRUE);
             d->SetTrackSelected(-1, FALSE);
             d->SetTrackSelected(0, TRUE);
             return ComRef<IEditCommand>(NewCommand<TrimCommand>("Trim", d));
         }},
    };
    for (const Case& c : cases) {
        for (bool replayed : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (replayed ? ", replayed" : ""));
            CNyMultiTrackDoc* doc = Base(false);
            const Points before = PointsOf(doc, 0);
            const std::string path = scratch_.File("journal" + std::to_string(journals_++) + ".tmp");
            ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
            ASSERT_EQ(S_OK, journal->Open(path.c_str()));
            WriteDocumentRecord(journal.Get());
            ASSERT_EQ(S_OK, doc->GetHistory()->Do(c.make(doc).Get(), TRUE));
            const Points after = PointsOf(doc, 0);
            ASSERT_NE(before, after);
            journal->Close();
            if (replayed) {
                doc = Base(true);
                ASSERT_EQ(S_OK, QueryCom<IJournalFile>(doc->GetHistory())->Open(path.c_str()));
                ASSERT_EQ(after, PointsOf(doc, 0));
            }
            ASSERT_EQ(S_OK, doc->GetHistory()->Undo());
            EXPECT_EQ(before, PointsOf(doc, 0));
            ASSERT_EQ(S_OK, doc->GetHistory()->Redo());
            EXPECT_EQ(after, PointsOf(doc, 0));
            QueryCom<IJournalFile>(doc->GetHistory())->Close();
        }
    }
}

} // namespace
