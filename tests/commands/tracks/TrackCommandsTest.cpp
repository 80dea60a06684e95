// What the track, mixing and resample commands do to a real document, and how they fail.
#include "TrackCommandFixture.h"

#include "AudioFormat.h"

#include "ChangeCutoffFreqParamCommand.h"
#include "ChangeMasterVolumeCommand.h"
#include "ChangeMixingParamCommand.h"
#include "CopyTrackCommand.h"
#include "DeleteTrackCommand.h"
#include "MoveTrackCommand.h"
#include "OffsetTrackCommand.h"
#include "RemoveTrackCommand.h"
#include "ResampleCommand.h"

#include <functional>

using namespace kvtest;

namespace {

template <class T, class... A>
ComRef<IEditCommand> Make(A... args)
{
    return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<T>(args...));
}

std::vector<IMtTrack*> TrackObjects(CNyMultiTrackDoc* doc)
{
    std::vector<IMtTrack*> tracks;
    for (int t = 0; t < doc->GetTrackCount(); ++t)
        tracks.push_back(doc->GetTrack(t));
    return tracks;
}

using Ints = std::vector<int>;

} // namespace

TEST_F(TrackCommandTest, RemoveTrackPutsTracksBackWhereTheyWere)
{
    struct Case {
        const char* label;
        int tracks;
        Ints selected;
        Ints remaining; // original indices
        Ints selectedAfter;
    };
    const Case cases[] = {
        {"tracks 1 and 3 of five", 5, {1, 3}, {0, 2, 4}, {1}},
        {"the last two of three select track 0", 3, {1, 2}, {0}, {0}},
        {"all of them", 2, {0, 1}, {}, {}},
    };
    for (const Case& c : cases) {
        CNyMultiTrackDoc* doc = Build(std::vector<WORD>(c.tracks, 1), std::vector<int>(c.tracks, 50));
        std::vector<IMtTrack*> before = TrackObjects(doc);
        std::string print = Fingerprint(doc);
        for (int t : c.selected)
            doc->SetTrackSelected(t, TRUE);
        ComRef<IEditCommand> remove = Make<RemoveTrackCommand>("Remove", static_cast<CommandDocument*>(doc));
        ASSERT_EQ(remove->Do(), S_OK) << c.label;
        std::vector<IMtTrack*> expected;
        for (int t : c.remaining)
            expected.push_back(before[t]);
        EXPECT_EQ(TrackObjects(doc), expected) << c.label;
        EXPECT_EQ(SelectedTracks(doc), c.selectedAfter) << c.label;

        ASSERT_EQ(remove->Undo(), S_OK) << c.label;
        EXPECT_EQ(TrackObjects(doc), before) << c.label << ": the same objects at their places";
        EXPECT_EQ(SelectedTracks(doc), c.selected) << c.label;
        EXPECT_EQ(Fingerprint(doc), print) << c.label;
    }
}

TEST_F(TrackCommandTest, RemoveTrackReportsWhatDidNotHappen)
{
    CNyMultiTrackDoc* doc = Build({1, 1, 1}, {50, 50, 50});
    ComRef<IEditCommand> nothing = Make<RemoveTrackCommand>("Remove", static_cast<CommandDocument*>(doc));
    EXPECT_EQ(nothing->Do(), kMtErrCancelled) << "no selected track: nothing to undo, nothing shown";
    EXPECT_EQ(nothing->Redo(), kMtErrCancelled);
    EXPECT_EQ(doc->GetTrackCount(), 3);

    // Track 1 leaves the set behind the command's back: the detach of track 0 is taken back.
    std::vector<IMtTrack*> before = TrackObjects(doc);
    Select(doc, {0, 1});
    ComRef<IEditCommand> remove = Make<RemoveTrackCommand>("Remove", static_cast<CommandDocument*>(doc));
    ASSERT_EQ(remove->Do(), S_OK);
    ASSERT_EQ(remove->Undo(), S_OK);
    ComRef<IMtTrack> second = ComRef<IMtTrack>::Share(before[1]);
    ASSERT_EQ(doc->GetTrackSet()->DetachTrack(second.Get()), S_OK);
    EXPECT_EQ(remove->Redo(), kMtErrNotInSet);
    EXPECT_EQ(TrackObjects(doc), (std::vector<IMtTrack*>{before[0], before[2]}));
}

TEST_F(TrackCommandTest, ResampleUndoGivesBackTheSoundAndLabelsExactly)
{
    CNyMultiTrackDoc* doc = Build({2, 1}, {44100 + 7, 30001}, {0, 12345});
    ASSERT_EQ(doc->GetSamplesPerSec(), 44100u);
    ASSERT_EQ(Volume(doc, 1)->InsertPoint(1001, 0.25f), S_OK);
    std::vector<int> ids;
    for (int64_t position : {int64_t(1), int64_t(44101), int64_t(88199)}) {
        LabelRecord label{};
        label.kind = kLabelCue;
        label.trackId = -1;
        label.start = label.end = position;
        ASSERT_TRUE(doc->AddLabel(label));
        ids.push_back(label.id);
    }
    std::string before = Fingerprint(doc);

    ComRef<IEditCommand> resample =
        Make<ResampleCommand>("Sample Type", static_cast<CommandDocument*>(doc), WORD(16), DWORD(22050));
    ASSERT_EQ(resample->Do(), S_OK);
    EXPECT_EQ(doc->GetSamplesPerSec(), 22050u);
    EXPECT_EQ(doc->GetAudioFormat().samplesPerSec, 22050u);
    EXPECT_EQ(doc->GetFormatChangeFlags() & 3, 1u);
    LabelRecord label{};
    ASSERT_TRUE(doc->FindLabelById(ids[1], &label));
    EXPECT_EQ(label.start, 22050) << "halved, truncated";
    ASSERT_TRUE(doc->FindLabelById(ids[0], &label));
    EXPECT_EQ(label.start, 0);
    EXPECT_EQ(doc->GetTrackExtent(1, -1), 6172);
    std::string converted = Fingerprint(doc);

    ASSERT_EQ(resample->Undo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before) << "samples, offsets, envelopes and labels as they were";
    EXPECT_EQ(doc->GetAudioFormat().samplesPerSec, 44100u);
    ASSERT_EQ(resample->Redo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), converted) << "the conversion's own sound put back";
    ASSERT_EQ(resample->Undo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);
    ASSERT_EQ(resample->Redo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), converted);
}

TEST_F(TrackCommandTest, ResampleSetsTheFormatChangeFlags)
{
    struct Case {
        WORD bits;
        DWORD rate;
        DWORD flags;
    };
    const Case cases[] = {{24, 44100, 2}, {16, 48000, 1}, {24, 22050, 3}, {16, 44100, 0}};
    for (const Case& c : cases) {
        CNyMultiTrackDoc* doc = Build({1}, {1000});
        ComRef<IEditCommand> resample =
            Make<ResampleCommand>("Sample Type", static_cast<CommandDocument*>(doc), c.bits, c.rate);
        ASSERT_EQ(resample->Do(), S_OK);
        EXPECT_EQ(doc->GetFormatChangeFlags() & 3, c.flags) << c.bits << "/" << c.rate;
        ASSERT_EQ(resample->Undo(), S_OK);
        EXPECT_EQ(doc->GetFormatChangeFlags() & 3, c.flags) << "undo keeps what redo gave";
        EXPECT_EQ(doc->GetBitsPerSample(), 16);
    }
}

TEST_F(TrackCommandTest, WholeTrackCommandsDoAndUndo)
{
    struct Case {
        const char* label;
        std::function<ComRef<IEditCommand>(CommandDocument*)> make;
        Ints orderAfterDo; // original track numbers, -1 for a copy
        Ints selectedAfterDo;
        Ints selectedAfterUndo;
    };
    const Case cases[] = {
        {"move 1 to insertion point 4",
         [](CommandDocument* d) { return Make<MoveTrackCommand>("Move", d, 1, 4); },
         {0, 2, 3, 1, 4},
         {3},
         {1}},
        {"move 3 up to 1",
         [](CommandDocument* d) { return Make<MoveTrackCommand>("Move", d, 3, 1); },
         {0, 3, 1, 2, 4},
         {1},
         {3}},
        {"delete 0 marks the new track 0",
         [](CommandDocument* d) { return Make<DeleteTrackCommand>("Del", d, 0); },
         {1, 2, 3, 4},
         {0, 3},
         {0, 3}},
        {"delete 3 marks track 2",
         [](CommandDocument* d) { return Make<DeleteTrackCommand>("Del", d, 3); },
         {0, 1, 2, 4},
         {2, 3},
         {2, 3}},
        {"copy 0 to 2",
         [](CommandDocument* d) { return Make<CopyTrackCommand>("Copy", d, 0, 2); },
         {0, 1, -1, 2, 3, 4},
         {2},
         {0}},
    };
    for (const Case& c : cases) {
        CNyMultiTrackDoc* doc = Build({1, 1, 1, 1, 1}, {10, 20, 30, 40, 50});
        Select(doc, {3}); // deletes keep the other rows as they are
        std::vector<IMtTrack*> before = TrackObjects(doc);
        std::string print = Fingerprint(doc);
        ComRef<IEditCommand> command = c.make(doc);
        ASSERT_EQ(command->Do(), S_OK) << c.label;
        std::vector<IMtTrack*> after = TrackObjects(doc);
        ASSERT_EQ(after.size(), c.orderAfterDo.size()) << c.label;
        for (size_t i = 0; i < after.size(); ++i) {
            if (c.orderAfterDo[i] >= 0)
                EXPECT_EQ(after[i], before[c.orderAfterDo[i]]) << c.label << " at " << i;
            else
                EXPECT_EQ(doc->GetTrackExtent(int(i), 0), 10) << c.label << ": the copy's sound";
        }
        EXPECT_EQ(SelectedTracks(doc), c.selectedAfterDo) << c.label;
        ASSERT_EQ(command->Undo(), S_OK) << c.label;
        EXPECT_EQ(TrackObjects(doc), before) << c.label;
        EXPECT_EQ(SelectedTracks(doc), c.selectedAfterUndo) << c.label;
        EXPECT_EQ(Fingerprint(doc), print) << c.label;
        ASSERT_EQ(command->Redo(), S_OK) << c.label;
        EXPECT_EQ(TrackObjects(doc).size(), c.orderAfterDo.size()) << c.label;
    }
}

TEST_F(TrackCommandTest, CopyTrackGivesTheCopyADefaultLabel)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {10, 10});
    LabelRecord label{};
    ASSERT_TRUE(doc->GetTrackLabel(0, &label) || true);
    std::strcpy(label.name, "Drums");
    doc->SetTrackLabel(label);
    ComRef<IEditCommand> copy = Make<CopyTrackCommand>("Copy", static_cast<CommandDocument*>(doc), 0, 2);
    ASSERT_EQ(copy->Do(), S_OK);
    LabelRecord copied{};
    ASSERT_TRUE(doc->GetTrackLabel(2, &copied));
    EXPECT_STRNE(copied.name, "Drums");
    EXPECT_EQ(std::string(copied.name).rfind("Track", 0), 0u) << copied.name;
}

TEST_F(TrackCommandTest, OffsetAndMixingValuesGoBackOnUndo)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {10, 10}, {0, 500});
    CommandDocument* d = doc;
    auto value = [&](LONG kind) {
        float v = 0;
        QueryCom<IMtEnvelopeSet>(doc->GetTrack(1))->GetValue(kind, &v);
        return double(v);
    };
    struct Case {
        const char* label;
        ComRef<IEditCommand> command;
        std::function<double()> read;
        double before, after;
    };
    Case cases[] = {
        {"offset", Make<OffsetTrackCommand>("Offset", d, 1, int64_t(9000)),
         [&] { return double(doc->GetTrackExtent(1, -1)); }, 500, 9000},
        {"volume", Make<ChangeMixingParamCommand>("Volume", d, 1, 0, 0.5f, 1.0f), [&] { return value(0); }, 1.0, 0.5},
        {"pan", Make<ChangeMixingParamCommand>("Pan", d, 1, 1, -0.75f, 0.0f), [&] { return value(1); }, 0.0, -0.75},
        {"master volume", Make<ChangeMasterVolumeCommand>("Master Volume", d, 5000, 10000),
         [&] { return double(doc->GetMasterVolume()); }, 10000, 5000},
    };
    for (Case& c : cases) {
        ASSERT_EQ(c.read(), c.before) << c.label;
        ASSERT_EQ(c.command->Do(), S_OK) << c.label;
        EXPECT_EQ(c.read(), c.after) << c.label;
        ASSERT_EQ(c.command->Undo(), S_OK) << c.label;
        EXPECT_EQ(c.read(), c.before) << c.label;
        ASSERT_EQ(c.command->Redo(), S_OK) << c.label;
        EXPECT_EQ(c.read(), c.after) << c.label;
    }
}

TEST_F(TrackCommandTest, AnIndexNamingNoTrackFails)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {10, 10});
    CommandDocument* d = doc;
    std::string print = Fingerprint(doc);
    struct Case {
        const char* label;
        ComRef<IEditCommand> command;
    };
    Case cases[] = {
        {"copy from 5", Make<CopyTrackCommand>("Copy", d, 5, 0)},
        {"copy from -1", Make<CopyTrackCommand>("Copy", d, -1, 0)},
        {"delete 2", Make<DeleteTrackCommand>("Delete", d, 2)},
        {"move 2", Make<MoveTrackCommand>("Move", d, 2, 0)},
        {"move to 7", Make<MoveTrackCommand>("Move", d, 0, 7)},
        {"offset 9", Make<OffsetTrackCommand>("Offset", d, 9, int64_t(5))},
        {"mixing -1", Make<ChangeMixingParamCommand>("Volume", d, -1, 0, 0.5f, 1.0f)},
        {"mixing 2", Make<ChangeMixingParamCommand>("Volume", d, 2, 0, 0.5f, 1.0f)},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.command->Do(), kMtErrNoTrack) << c.label;
        EXPECT_EQ(Fingerprint(doc), print) << c.label;
    }
    // A cut-off record loaded for a track that is not there.
    Bytes record = Record(280, "changecutofffreqparam", "", {Zeros(2), Le32(4), Le32(120), Le32(80), Le32(1), Le32(0)});
    ComRef<IEditCommand> cutoff = Loaded(CommandChunk(record), doc);
    EXPECT_EQ(QueryCom<IPersistCommand>(cutoff.Get())->OnLoaded(), kMtErrNoTrack);
}

TEST_F(TrackCommandTest, LoadedCutoffRecordSetsFrequencyAndSwitch)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {10, 10});
    Bytes record = Record(280, "changecutofffreqparam", "", {Zeros(2), Le32(1), Le32(120), Le32(80), Le32(0), Le32(1)});
    ComRef<IEditCommand> cutoff = Loaded(CommandChunk(record), doc);
    ASSERT_EQ(QueryCom<IPersistCommand>(cutoff.Get())->OnLoaded(), S_OK);
    LONG frequency = 0, on = 1;
    doc->GetTrack(1)->GetSurroundValue(&frequency);
    doc->GetTrack(1)->IsSurroundOn(&on);
    EXPECT_EQ(frequency, 120);
    EXPECT_EQ(on, 0);
    ASSERT_EQ(cutoff->Undo(), S_OK);
    doc->GetTrack(1)->GetSurroundValue(&frequency);
    doc->GetTrack(1)->IsSurroundOn(&on);
    EXPECT_EQ(frequency, 80);
    EXPECT_EQ(on, 1);
}

TEST_F(TrackCommandTest, RemoveTrackCountsStayInsideTheirChunk)
{
    CNyMultiTrackDoc* doc = Build({1, 1, 1}, {10, 10, 10});
    struct Case {
        const char* label;
        Bytes record;
        HRESULT result;
    };
    const Case cases[] = {
        {"two indices", Record(272, "removetrack", "", {Zeros(2), Le32(2), Le32(0), Le32(2)}), S_OK},
        {"a count past the chunk", Record(272, "removetrack", "", {Zeros(2), Le32(3), Le32(0), Le32(2)}), kBadJournal},
        {"a huge count", Record(272, "removetrack", "", {Zeros(2), Le32(0x40000001), Le32(0), Le32(2)}), kBadJournal},
        {"an index naming no track", Record(268, "removetrack", "", {Zeros(2), Le32(1), Le32(3)}), kMtErrNoTrack},
    };
    for (const Case& c : cases) {
        HRESULT hr = E_FAIL;
        Loaded(CommandChunk(c.record), doc, &hr);
        EXPECT_EQ(hr, c.result) << c.label;
    }
}
