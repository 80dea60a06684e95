// Document-wide property changes and the trim to the selection on a real document.
#include "TrackCommandFixture.h"

#include "ChangePropertyCommand.h"
#include "TrimCommand.h"

using namespace kvtest;

namespace {

template <class T, class... A>
ComRef<T> MakeAs(A... args)
{
    return ComRef<T>(ComObject<IEditCommand>::Create<T>(args...));
}

} // namespace

TEST_F(TrackCommandTest, ChangePropertyRecords)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {10, 10});
    ComRef<ChangePropertyCommand> empty = MakeAs<ChangePropertyCommand>();
    Bytes chunk = Saved(empty.Get());
    EXPECT_EQ(chunk, CommandChunk(Record(856, "changeproperty", "", {Zeros(262), Le32(10000), Le32(0), Zeros(328)})))
        << "without tracks: one zero track slot";

    ComRef<ChangePropertyCommand> change =
        MakeAs<ChangePropertyCommand>("Properties", static_cast<CommandDocument*>(doc));
    change->newMasterVolume = 5000;
    change->newVideoPath = std::string(300, 'v');
    ASSERT_EQ(change->newTracks.size(), 2u);
    Bytes record = RecordOf(Saved(change.Get()));
    ASSERT_EQ(record.size(), 528u + 2 * 328);
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 258), Header(1184, "changeproperty", "Properties"));
    EXPECT_EQ(Bytes(record.begin() + 258, record.begin() + 518), Bytes(260, 'v')) << "the path cut to its field";
    EXPECT_EQ(Bytes(record.begin() + 518, record.begin() + 528),
              (Append(Append(*new Bytes(Zeros(2)), Le32(5000)), Le32(2))));
    for (int t = 0; t < 2; ++t) {
        size_t label = 528 + 328 * t;
        EXPECT_EQ(Bytes(record.begin() + label + 8, record.begin() + label + 12), Le32(uint32_t(t)))
            << "track " << t << " named by its index";
    }
}

TEST_F(TrackCommandTest, ChangePropertyDoesAndUndoesWhatDiffers)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {10, 10});
    LabelRecord keys{};
    doc->GetTrackLabel(1, &keys);
    std::strcpy(keys.name, "Keys");
    doc->SetTrackLabel(keys);
    std::string before = Fingerprint(doc);
    ComRef<ChangePropertyCommand> change =
        MakeAs<ChangePropertyCommand>("Properties", static_cast<CommandDocument*>(doc));
    change->newMasterVolume = 5000;
    change->newTracks[1].level = 2500;
    change->newTracks[1].startOffset = 700;
    std::strcpy(change->newTracks[1].label.name, "Bass");
    ASSERT_EQ(change->Do(), S_OK);
    EXPECT_EQ(change->Changed(), 1);
    EXPECT_EQ(doc->GetMasterVolume(), 5000);
    EXPECT_EQ(doc->GetTrackExtent(1, -1), 700);
    LabelRecord label{};
    ASSERT_TRUE(doc->GetTrackLabel(1, &label));
    EXPECT_STREQ(label.name, "Bass");
    std::string after = Fingerprint(doc);

    ASSERT_EQ(change->Undo(), S_OK);
    EXPECT_EQ(change->Changed(), 0);
    EXPECT_EQ(doc->GetMasterVolume(), 10000);
    EXPECT_EQ(doc->GetTrackExtent(1, -1), 0);

    // A reloaded command takes the live document as its old state and applies its new one.
    ComRef<IEditCommand> loaded = Loaded(Saved(change.Get()), doc);
    ASSERT_EQ(QueryCom<IPersistCommand>(loaded.Get())->OnLoaded(), S_OK);
    EXPECT_EQ(Fingerprint(doc), after);
    ASSERT_EQ(loaded->Undo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);
}

TEST_F(TrackCommandTest, ChangePropertyRefusesAMissingVideoFile)
{
    CNyMultiTrackDoc* doc = Build({1}, {10});
    ComRef<ChangePropertyCommand> change =
        MakeAs<ChangePropertyCommand>("Properties", static_cast<CommandDocument*>(doc));
    change->newVideoPath = files_.File("none.avi");
    change->newMasterVolume = 5000;
    EXPECT_EQ(change->Do(), static_cast<HRESULT>(0x83E800C9));
    EXPECT_EQ(doc->GetMasterVolume(), 10000) << "nothing changed";
    EXPECT_EQ(doc->GetVideoFile(), "");
}

TEST_F(TrackCommandTest, ChangePropertyCountsStayInsideTheirChunk)
{
    CNyMultiTrackDoc* doc = Build({1}, {10});
    Bytes record = Record(856, "changeproperty", "", {Zeros(262), Le32(10000), Le32(2), Zeros(328)});
    HRESULT hr = S_OK;
    Loaded(CommandChunk(record), doc, &hr);
    EXPECT_EQ(hr, kBadJournal);
}

TEST_F(TrackCommandTest, TrimKeepsTheSelectionOfTheSelectedTracks)
{
    CNyMultiTrackDoc* doc = Build({1, 1, 1}, {1000, 1500, 300}, {0, 500, 1000});
    ASSERT_EQ(Volume(doc, 1)->InsertPoint(0, 0.0f), S_OK);
    ASSERT_EQ(Volume(doc, 1)->InsertPoint(1000, 1.0f), S_OK);
    Select(doc, {0, 1, 2});
    doc->SetTrackSelected(2, FALSE);
    ASSERT_EQ(doc->SetSelectionRange(800, 200, FALSE), S_OK);
    std::string before = Fingerprint(doc);

    ComRef<TrimCommand> trim = MakeAs<TrimCommand>("Trim", static_cast<CommandDocument*>(doc));
    ASSERT_EQ(trim->Do(), S_OK);
    struct Expect {
        int64_t start, length;
    };
    const Expect tracks[] = {{200, 600}, {500, 300}, {1000, 300}};
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(doc->GetTrackExtent(t, -1), tracks[t].start) << t;
        EXPECT_EQ(doc->GetTrackExtent(t, 0), tracks[t].length) << t;
    }
    // Track 1 starts inside the selection: only the part after it goes, and the curve keeps
    // its value at the last kept sample.
    EXPECT_EQ(Points(Volume(doc, 1)), (std::vector<std::pair<int64_t, float>>{{0, 0.0f}, {299, 0.299f}}));
    EXPECT_TRUE(SelectedTracks(doc).empty());
    int64_t start = 0, end = 0;
    doc->GetSelectionRange(&start, &end);
    EXPECT_EQ(start, 200);
    EXPECT_EQ(end, 800);
    std::string trimmed = Fingerprint(doc);

    Bytes chunk = Saved(trim.Get());
    EXPECT_EQ(Bytes(chunk.begin() + 32, chunk.begin() + 32 + 280),
              Record(280, "trim", "Trim", {Zeros(6), Le64(200), Le64(800)}));

    ASSERT_EQ(trim->Undo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);
    ASSERT_EQ(trim->Redo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), trimmed);
}
