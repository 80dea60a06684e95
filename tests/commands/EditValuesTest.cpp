// What the edit commands of files, recording, marks and tracks do to a real document: lengths
// of items in frames, marks around a deleted range, import order, loops, removed labels,
// channel limits, takes, children undone after a failure and level rounding.
#include "ClipCommands.h"
#include "ClipboardCommands.h"
#include "CommandSupport.h"
#include "EditFixture.h"
#include "EnvelopeCommands.h"
#include "FileCommands.h"
#include "JournalSupport.h"
#include "KsMultiTrackLoader.h"
#include "MarkCommands.h"
#include "TrackCommands.h"

#include <cstring>
#include <functional>

using namespace kvtest;

namespace {

template <class T, class... A>
ComRef<IEditCommand> Command(A&&... args)
{
    return ComRef<IEditCommand>(NewCommand<T>(std::forward<A>(args)...));
}

LabelRecord Mark(int kind, int trackId, int64_t start, int64_t end)
{
    LabelRecord r{};
    r.kind = kind;
    r.trackId = trackId;
    r.start = start;
    r.end = end;
    std::strcpy(r.name, "m");
    return r;
}

// First envelope point of kind 0 on a track (track-relative); -1 without one.
int64_t FirstPoint(CNyMultiTrackDoc* doc, int track)
{
    ComRef<IMtEnvelope> envelope = TrackEnvelope(doc, track, 0);
    ComRef<IMtEnvelopePointEnum> points;
    envelope->EnumPoints(points.Out());
    MtEnvelopePointItem item{};
    return points && points->Next(&item) == S_OK ? item.distance : -1;
}

// Positions of the kind-0 envelope points of a track.
std::vector<int64_t> Points(CNyMultiTrackDoc* doc, int track)
{
    ComRef<IMtEnvelopePointEnum> points;
    TrackEnvelope(doc, track, 0)->EnumPoints(points.Out());
    std::vector<int64_t> out;
    MtEnvelopePointItem item{};
    int64_t position = 0;
    while (points && points->Next(&item) == S_OK)
        out.push_back(position += item.distance);
    return out;
}

using EditValues = EditTest;

TEST_F(EditValues, A24BitTakeOf48000FramesMeasures48000FramesInEveryCommand)
{
    // The engine counts 3 bytes a sample for 24 bits; a length taken as 4 would be 36000.
    struct Case {
        const char* type;
        std::function<int64_t(CNyMultiTrackDoc*, IUnknown*)> measure;
    };
    auto pointAfter = [](CNyMultiTrackDoc* doc, IEditCommand* command) {
        EXPECT_EQ(S_OK, command->Do());
        return FirstPoint(doc, 0) - 500;
    };
    const Case cases[] = {
        {"openfile",
         [&](CNyMultiTrackDoc* doc, IUnknown* take) {
             return pointAfter(doc, Command<OpenFileCommand>(doc, 0, 0, 0, take).Get());
         }},
        {"mergefile",
         [&](CNyMultiTrackDoc* doc, IUnknown* take) {
             return pointAfter(doc, Command<MergeFileCommand>(nullptr, doc, 0, 0, 0, take, 0).Get());
         }},
        {"recording",
         [&](CNyMultiTrackDoc* doc, IUnknown* take) {
             ComRef<IMtItemList> takes = ListOf({{ComRef<IUnknown>::Share(take), doc->GetTrackId(0)}});
             EXPECT_EQ(S_OK, Command<RecordingCommand>(doc, takes.Get())->Do());
             int64_t start = 0, end = 0;
             doc->GetSelection()->GetSelection(&start, &end);
             return end - start;
         }},
        {"effectfile",
         [&](CNyMultiTrackDoc* doc, IUnknown* take) {
             ComRef<IMtItemList> results = ListOf({{ComRef<IUnknown>::Share(take), doc->GetTrackId(0)}});
             EXPECT_EQ(S_OK, Command<EffectFileCommand>("Effect", doc, results.Get(), 0)->Do());
             int64_t start = 0, end = 0;
             doc->GetSelection()->GetSelection(&start, &end);
             return end - start;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CNyMultiTrackDoc* doc = NewDoc({2}, 48000, 24);
        PlaceItem(doc, 0, 0, MakeItem("held.raw", 1000, 2, 24, 48000).Get());
        ASSERT_EQ(S_OK, TrackEnvelope(doc, 0, 0)->InsertPoint(500, 0.5f));
        ComRef<IUnknown> take = MakeItem(std::string(c.type) + ".raw", 48000, 2, 24, 48000);
        EXPECT_EQ(48000, ItemFramesOf(take.Get()));
        EXPECT_EQ(48000, c.measure(doc, take.Get()));
    }
}

TEST_F(EditValues, DeleteRemovesMarksUpToTheEndMovesLaterOnesAndLeavesOtherKinds)
{
    CNyMultiTrackDoc* doc = NewDoc({1});
    PlaceItem(doc, 0, 0, MakeItem("a.raw", 10000, 1, 16, 44100).Get());
    int id = doc->GetTrackId(0);
    struct Case {
        LabelRecord mark;
        bool deleted;
        int64_t start; // after the delete of 1000..3000
    };
    const Case cases[] = {
        {Mark(kLabelCue, id, 3000, 3000), true, 0},     // exactly at the end
        {Mark(kLabelCue, id, 2000, 2000), true, 0},     // inside
        {Mark(kLabelSection, id, 500, 5000), true, 0},  // starts before, ends after
        {Mark(kLabelCue, id, 3001, 3001), false, 1001}, // just after: moves by the length
        {Mark(kLabelSection, id, 4000, 6000), false, 2000},
        {Mark(kLabelCue, id, 500, 500), false, 500},      // before
        {Mark(kLabelOther, id, 2000, 2000), false, 2000}, // kinds 3 and 4 stay
        {Mark(kLabelLoop, -1, 2000, 2500), false, 2000},
        {Mark(kLabelCue, doc->GetTrackId(0) + 99, 2000, 2000), false, 2000}, // another track's
    };
    std::vector<int> ids;
    for (const Case& c : cases) {
        LabelRecord r = c.mark;
        ASSERT_TRUE(doc->GetLabels().Add(r));
        ids.push_back(r.id);
    }
    Fingerprint before = Take(doc);
    ASSERT_EQ(S_OK, doc->GetSelection()->SetSelection(1000, 3000));
    ASSERT_EQ(S_OK, doc->SetTrackSelected(0, TRUE));
    Fingerprint selected = Take(doc);
    ComRef<IEditCommand> cut = Command<DeleteCommand>(doc);
    ASSERT_EQ(S_OK, cut->Do());
    EXPECT_EQ(8000, doc->GetTrackExtent(0, 0));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        LabelRecord now{};
        ASSERT_TRUE(doc->GetLabels().FindById(ids[i], &now));
        EXPECT_EQ(cases[i].deleted, now.id < 0);
        if (!cases[i].deleted) {
            EXPECT_EQ(cases[i].start, now.start);
        }
    }
    EXPECT_EQ(0, doc->IsTrackSelectedAt(0));
    int64_t s = 0, e = 0;
    doc->GetSelection()->GetSelection(&s, &e);
    EXPECT_EQ(1000, s);
    EXPECT_EQ(1000, e);
    ASSERT_EQ(S_OK, cut->Undo());
    Fingerprint undone = Take(doc);
    EXPECT_EQ(before.tracks, undone.tracks);
    EXPECT_TRUE(selected.labels.size() == undone.labels.size() &&
                std::memcmp(selected.labels.data(), undone.labels.data(), undone.labels.size() * sizeof(LabelRecord)) ==
                    0);
    doc->GetSelection()->GetSelection(&s, &e);
    EXPECT_EQ(1000, s);
    EXPECT_EQ(3000, e);
}

TEST_F(EditValues, ImportFillsTrailingEmptyTracksFirstUnlessToldNotTo)
{
    struct Case {
        DWORD newTracksOnly;
        std::vector<int> filled; // tracks that receive the three items, in order
        int tracksAfter;
    };
    const Case cases[] = {{0, {1, 2, 3}, 4}, {1, {3, 4, 5}, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newTracksOnly);
        CNyMultiTrackDoc* doc = NewDoc({1, 1, 1});
        PlaceItem(doc, 0, 0, MakeItem("held.raw", 100, 1, 16, 44100).Get());
        ComRef<IMtItemList> items = ListOf({{MakeItem("a.raw", 200, 1, 16, 44100), 0},
                                            {MakeItem("b.raw", 300, 1, 16, 44100), 0},
                                            {MakeItem("c.raw", 400, 2, 16, 44100), 0}});
        ComRef<IEditCommand> import = Command<ImportFileCommand>(doc, items.Get(), c.newTracksOnly);
        ASSERT_EQ(S_OK, import->Do());
        ASSERT_EQ(c.tracksAfter, doc->GetTrackCount());
        for (size_t i = 0; i < c.filled.size(); ++i)
            EXPECT_EQ(int64_t(200 + 100 * i), doc->GetTrackExtent(c.filled[i], 0)) << i;
        EXPECT_EQ(2, doc->GetTrackChannels(c.filled[2]));
        ComRef<IMtTrack> receiving;
        EXPECT_EQ(S_OK, QueryReceivingTrack(QueryCom<ICommandGroupAux>(import.Get()).Get(), receiving.Out()));
        EXPECT_EQ(doc->GetTrack(c.filled[2]), receiving.Get());
        ASSERT_EQ(S_OK, import->Undo());
        EXPECT_EQ(3, doc->GetTrackCount());
        EXPECT_EQ(0, doc->GetTrackExtent(1, 0));
    }
}

TEST_F(EditValues, InsertFileUndoesTheChildrenItRanWhenALaterOneFails)
{
    CNyMultiTrackDoc* doc = NewDoc({1});
    ASSERT_EQ(S_OK, doc->SetTrackSelected(0, TRUE));
    Fingerprint before = Take(doc);
    // The second item needs a new track of 3 channels, which a standard document refuses.
    ComRef<IMtItemList> items =
        ListOf({{MakeItem("a.raw", 200, 1, 16, 44100), 0}, {MakeItem("b.raw", 300, 3, 16, 44100), 0}});
    ComRef<IEditCommand> insert = Command<InsertFileCommand>(doc, 0, 0, items.Get());
    EXPECT_EQ(kErrFormatNotSupported, insert->Do());
    EXPECT_EQ(before.tracks, Take(doc).tracks);
    UINT children = 1;
    QueryCom<ICommandList>(insert.Get())->GetCount(&children);
    EXPECT_EQ(0u, children);
}

TEST_F(EditValues, InsertTrackRefusesMoreChannelsThanTheDocumentTakes)
{
    struct Case {
        uint32_t documentType;
        WORD channels;
        HRESULT expected;
    };
    const Case cases[] = {{0, 2, S_OK}, {0, 3, kErrFormatNotSupported}, {1, 6, S_OK}, {1, 7, kErrFormatNotSupported}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        CNyMultiTrackDoc* doc = NewDoc({1}, 44100, 16, c.documentType);
        EXPECT_EQ(c.expected, Command<InsertTrackCommand>(nullptr, doc, c.channels, -1)->Do());
        EXPECT_EQ(c.expected == S_OK ? 2 : 1, doc->GetTrackCount());
    }
}

TEST_F(EditValues, LabelsFailWithoutChangeOnASecondLoopOrARemovedLabel)
{
    CNyMultiTrackDoc* doc = NewDoc({1});
    ASSERT_EQ(S_OK, Command<AddLoopCommand>("L", doc, 10, 20)->Do());
    ComRef<IEditCommand> cue = Command<AddMarkCommand>("M", doc, 0, 30, 0, 0);
    ASSERT_EQ(S_OK, cue->Do());
    LabelRecord added{};
    ASSERT_TRUE(doc->GetLabels().FindById(3, &added));
    EXPECT_STREQ("CUE-0001", added.name);
    ASSERT_EQ(S_OK, cue->Undo()); // label 3 is removed now
    Fingerprint before = Take(doc);
    LabelRecord moved = added;
    moved.start = moved.end = 99;
    LabelRecord loop{};
    loop.kind = kLabelLoop;
    const std::pair<const char*, ComRef<IEditCommand>> cases[] = {
        {"addloop", Command<AddLoopCommand>("L", doc, 40, 20)},
        {"addmarkinfo loop", Command<AddMarkInfoCommand>("I", doc, loop)},
        {"delmark removed", Command<DelMarkCommand>("D", doc, 3)},
        {"modmark removed", Command<ModMarkCommand>("Mod", doc, moved)},
        {"delmark unknown", Command<DelMarkCommand>("D", doc, 42)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(E_FAIL, c.second->Do());
        EXPECT_TRUE(before == Take(doc));
    }
}

TEST_F(EditValues, NoTakesOrResultsAreRefusedAndADamagedRecordingLoadsNothing)
{
    CNyMultiTrackDoc* doc = NewDoc({1});
    ComRef<IMtItemList> none;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(none));
    // An empty list is a failure, not the success that a bare 1 would be.
    Fingerprint before = Take(doc);
    EXPECT_EQ(kErrNothingToDo, Command<RecordingCommand>(doc, none.Get())->Do());
    EXPECT_EQ(kErrNothingToDo, Command<EffectFileCommand>("Effect", doc, none.Get(), 0)->Do());
    EXPECT_TRUE(before == Take(doc));

    ComRef<IUnknown> take = MakeItem("take.raw", 100, 1, 16, 44100);
    ComRef<IMtItemList> takes = ListOf({{take, doc->GetTrackId(0)}});
    Bytes saved = Saved(Command<RecordingCommand>(doc, takes.Get()).Get(), doc, "rec.bin");
    ASSERT_EQ(16u + 584u, saved.size());
    struct Case {
        const char* what;
        int32_t count;
    };
    const Case cases[] = {{"count past the chunk", 2}, {"negative count", -1}, {"huge count", 0x40000000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = saved;
        std::memcpy(&damaged[16 + 288], &c.count, 4);
        HRESULT hr = S_OK;
        Loaded(damaged, doc, "damaged.bin", &hr);
        EXPECT_EQ(kBadJournal, hr);
    }
}

TEST_F(EditValues, APropertyLevelIsRoundedAlikeFromACopyAndFromATrack)
{
    CNyMultiTrackDoc* doc = NewDoc({1, 1});
    // x 10000 is 3333.9999...: cut toward zero it would be 3333, as printed it is 3334.
    ASSERT_EQ(S_OK, doc->GetTrack(1)->SetVolume(0.33339999f));
    ComRef<TrackPropertyCommand> property(NewCommand<TrackPropertyCommand>(doc));
    ASSERT_EQ(S_OK, property->InitFromSource(0, doc->GetTrack(1)));
    ASSERT_EQ(S_OK, property->Do());
    float volume = 0;
    doc->GetTrack(0)->GetVolume(&volume);
    EXPECT_FLOAT_EQ(0.3334f, volume);
    EXPECT_EQ(LevelToFixed(0.33339999f), 3334);
}

TEST_F(EditValues, EditSampleLeavesOneTrackSelectedAndUndoSelectsItsPosition)
{
    CNyMultiTrackDoc* doc = NewDoc({1, 1});
    PlaceItem(doc, 1, 0, MakeItem("a.raw", 100, 1, 16, 44100).Get());
    ASSERT_EQ(S_OK, doc->SetTrackSelected(0, TRUE));
    ComRef<IEditCommand> pen = Command<EditSampleCommand>(nullptr, doc, 1, WORD(0), 40, 1234);
    ASSERT_EQ(S_OK, pen->Do());
    EXPECT_EQ(0, doc->IsTrackSelectedAt(0));
    EXPECT_NE(0, doc->IsTrackSelectedAt(1));
    LONG value = 0;
    doc->GetTrack(1)->ReadSample(0, 40, &value);
    EXPECT_EQ(1234, value);
    ASSERT_EQ(S_OK, pen->Undo());
    int64_t s = -1, e = -1;
    doc->GetSelection()->GetSelection(&s, &e);
    EXPECT_EQ(40, s);
    EXPECT_EQ(40, e);
}

} // namespace

namespace {

TEST_F(EditValues, DropKeepsTheSpacingOfTheSourceTracksAndAppendsWhatIsMissing)
{
    CNyMultiTrackDoc* source = SecondDoc({1, 1, 2}, 44100);
    for (int t = 0; t < 3; ++t)
        PlaceItem(source, t, 0, MakeItem("s" + std::to_string(t) + ".raw", 2000, t == 2 ? 2 : 1, 16, 44100).Get());
    ASSERT_EQ(S_OK, source->GetSelection()->SetSelection(500, 1500));
    ASSERT_EQ(S_OK, source->SetTrackSelected(0, TRUE));
    ASSERT_EQ(S_OK, source->SetTrackSelected(2, TRUE));

    CNyMultiTrackDoc* doc = NewDoc({1, 1});
    PlaceItem(doc, 0, 0, MakeItem("t.raw", 3000, 1, 16, 44100).Get());
    LabelRecord cue{};
    cue.kind = kLabelCue;
    cue.trackId = doc->GetTrackId(0);
    cue.start = cue.end = 100;
    ASSERT_TRUE(doc->GetLabels().Add(cue));
    LabelRecord later = cue;
    later.start = later.end = 101;
    ASSERT_TRUE(doc->GetLabels().Add(later));
    Fingerprint before = Take(doc);

    ComRef<IEditCommand> drop(NewCommand<DropCommand>(source, doc, 0, 100));
    ASSERT_EQ(S_OK, drop->Do());
    // Source track 0 onto track 0; source track 1 (not selected) keeps track 1 as it was;
    // source track 2 onto a new track 2 of its channels.
    ASSERT_EQ(3, doc->GetTrackCount());
    EXPECT_EQ(4000, doc->GetTrackExtent(0, 0));
    EXPECT_EQ(0, doc->GetTrackExtent(1, 0));
    EXPECT_EQ(1000, doc->GetTrackExtent(2, 0));
    EXPECT_EQ(2, doc->GetTrackChannels(2));
    LabelRecord now{};
    doc->GetLabels().FindById(cue.id, &now);
    EXPECT_EQ(100, now.start); // at the drop position: stays
    doc->GetLabels().FindById(later.id, &now);
    EXPECT_EQ(1101, now.start);
    ASSERT_EQ(S_OK, drop->Undo());
    EXPECT_EQ(before.tracks, Take(doc).tracks);
}

} // namespace

namespace {

TEST_F(EditValues, MergeFileKeepsEnvelopesInStepWithTheMergedSpan)
{
    struct Case {
        int32_t mode;
        int64_t start, length;
        UINT children;
        std::vector<int64_t> points; // where the points at 500 and 1200 end up
    };
    const Case cases[] = {
        {0, 100, 200, 3, {600, 1300}},  // 300 frames replace 200: later points move by 100
        {1, 100, 200, 3, {500, 1200}},  // in place: the gap equals the cut
        {0, 100, 0, 2, {800, 1500}},    // nothing cut: no third child
        {1, 1500, 200, 2, {500, 1200}}, // past the track's end: no gap (not a negative one), no cut
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start * 10 + c.mode);
        CNyMultiTrackDoc* doc = NewDoc({1});
        PlaceItem(doc, 0, 0, MakeItem("held.raw", 1000, 1, 16, 44100).Get());
        ASSERT_EQ(S_OK, TrackEnvelope(doc, 0, 0)->InsertPoint(500, 0.5f));
        ASSERT_EQ(S_OK, TrackEnvelope(doc, 0, 0)->InsertPoint(1200, 0.25f));
        ComRef<IUnknown> result = MakeItem("result.raw", 300, 1, 16, 44100);
        ComRef<IEditCommand> merge =
            Command<MergeFileCommand>(nullptr, doc, 0, c.start, c.length, result.Get(), c.mode);
        ASSERT_EQ(S_OK, merge->Do());
        UINT children = 0;
        QueryCom<ICommandList>(merge.Get())->GetCount(&children);
        EXPECT_EQ(c.children, children);
        EXPECT_EQ(c.points, Points(doc, 0));
        ASSERT_EQ(S_OK, merge->Undo());
        EXPECT_EQ((std::vector<int64_t>{500, 1200}), Points(doc, 0));
    }
}

} // namespace
