// Splitting a track into one mono track per channel, on the real engine and channel splitter.
#include "TrackCommandFixture.h"

#include "SplitTrackCommand.h"

using namespace kvtest;

namespace {

// Fails the set-up of one channel, after the split has run several children.
class FailingSplit : public SplitTrackCommand {
public:
    using SplitTrackCommand::SplitTrackCommand;
    HRESULT SetupChannelTrack(int index, IMtTrack* source, int channel) override
    {
        if (channel == failAt)
            return E_ABORT;
        return SplitTrackCommand::SetupChannelTrack(index, source, channel);
    }
    int failAt = -1;
};

std::vector<LONG> Channel(IMtTrack* track, WORD channel, int64_t from, int count)
{
    std::vector<LONG> samples;
    for (int i = 0; i < count; ++i) {
        LONG v = 0;
        track->ReadSample(channel, from + i, &v);
        samples.push_back(v);
    }
    return samples;
}

float ConstantOf(IMtTrack* track, LONG kind)
{
    float value = 0;
    ComRef<IMtEnvelope> envelope;
    QueryCom<IMtEnvelopeSet>(track)->GetEnvelope(kind, envelope.Out());
    envelope->GetInitialValue(&value);
    return value;
}

} // namespace

TEST_F(TrackCommandTest, SplitStereoTrackGivesLeftAndRightTracks)
{
    CNyMultiTrackDoc* doc = Build({1, 1, 2, 1}, {100, 100, 3000, 100}, {0, 0, 500, 0});
    IMtTrack* after = Track(doc, 3);
    LabelRecord label{};
    doc->GetTrackLabel(2, &label);
    std::strcpy(label.name, "Piano");
    doc->SetTrackLabel(label);
    doc->SetTrackGroup(Track(doc, 2), 3);
    LabelRecord cue{};
    cue.kind = kLabelCue;
    cue.trackId = doc->TrackIndexToId(2);
    cue.start = cue.end = 700;
    std::strcpy(cue.name, "Cue");
    ASSERT_TRUE(doc->AddLabel(cue));
    ASSERT_EQ(Volume(doc, 2)->InsertPoint(100, 0.5f), S_OK);
    const std::vector<LONG> left = Channel(Track(doc, 2), 0, 500, 3000);
    const std::vector<LONG> right = Channel(Track(doc, 2), 1, 500, 3000);
    std::string before = Fingerprint(doc);

    ComRef<IEditCommand> split(
        ComObject<IEditCommand>::Create<SplitTrackCommand>("Split", static_cast<CommandDocument*>(doc), 2));
    ASSERT_EQ(split->Do(), S_OK);
    ASSERT_EQ(doc->GetTrackCount(), 5);
    EXPECT_EQ(Track(doc, 4), after) << "the tracks after it move down by one";
    struct Expect {
        const char* name;
        float pan;
        const std::vector<LONG>* samples;
    };
    const Expect tracks[] = {{"Piano - L", -1.0f, &left}, {"Piano - R", 1.0f, &right}};
    for (int i = 0; i < 2; ++i) {
        int t = 2 + i;
        LabelRecord got{};
        ASSERT_TRUE(doc->GetTrackLabel(t, &got));
        EXPECT_STREQ(got.name, tracks[i].name);
        EXPECT_EQ(doc->GetTrackGroup(t), 3);
        EXPECT_EQ(doc->GetTrackChannels(t), 1);
        EXPECT_EQ(ConstantOf(Track(doc, t), kMtEnvPan), tracks[i].pan);
        EXPECT_EQ(doc->GetTrackExtent(t, -1), 500);
        EXPECT_EQ(Channel(Track(doc, t), 0, 500, 3000), *tracks[i].samples) << tracks[i].name;
        EXPECT_EQ(Points(Volume(doc, t)), (std::vector<std::pair<int64_t, float>>{{100, 0.5f}}));
        std::vector<LabelRecord> cues;
        EXPECT_EQ(doc->FindLabelsInRange(t, cues, -1, -1, kLabelCue), 1) << "the cue on each channel track";
    }
    EXPECT_EQ(SelectedTracks(doc), (std::vector<int>{2, 3}));
    EXPECT_EQ(doc->GetLeadTrack(), 2);
    std::string done = Fingerprint(doc);

    ASSERT_EQ(split->Undo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);
    ASSERT_TRUE(doc->GetTrackLabel(2, &label));
    EXPECT_STREQ(label.name, "Piano");
    std::vector<LabelRecord> cues;
    EXPECT_EQ(doc->FindLabelsInRange(2, cues, -1, -1, kLabelCue), 1);
    EXPECT_EQ(SelectedTracks(doc), (std::vector<int>{2}));
    ASSERT_EQ(split->Redo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), done);

    ULONG size = 0;
    QueryCom<IPersistCommand>(split.Get())->GetSizeMax(&size);
    EXPECT_EQ(size, 1800u);
    // The default names the new tracks' labels got before taking the source's name: a replay
    // gives them the same.
    auto name = [](const char* text) {
        Bytes field(256);
        std::memcpy(field.data(), text, std::strlen(text));
        return field;
    };
    EXPECT_EQ(Saved(split.Get()), CommandChunk(Record(1800, "splittrack", "Split",
                                                      {Zeros(2), Le32(2), name("Track3"), name("Track4"), Zeros(4 * 256)})))
        << "the record alone, not its children";
}

TEST_F(TrackCommandTest, SplitOfAMonoTrackKeepsItsName)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {100, 200});
    LabelRecord label{};
    doc->GetTrackLabel(1, &label);
    std::strcpy(label.name, "Voice");
    doc->SetTrackLabel(label);
    ComRef<IEditCommand> split(
        ComObject<IEditCommand>::Create<SplitTrackCommand>("Split", static_cast<CommandDocument*>(doc), 1));
    ASSERT_EQ(split->Do(), S_OK);
    LabelRecord got{};
    ASSERT_TRUE(doc->GetTrackLabel(1, &got));
    EXPECT_STREQ(got.name, "Voice");
    EXPECT_EQ(doc->GetTrackExtent(1, 0), 200);
}

TEST_F(TrackCommandTest, AFailingSplitTakesBackWhatItRan)
{
    for (int failAt : {0, 1}) {
        CNyMultiTrackDoc* doc = Build({1, 2, 1}, {100, 1000, 100});
        std::string before = Fingerprint(doc);
        ComRef<FailingSplit> split(
            ComObject<IEditCommand>::Create<FailingSplit>("Split", static_cast<CommandDocument*>(doc), 1));
        split->failAt = failAt;
        EXPECT_EQ(split->Do(), E_ABORT) << failAt;
        EXPECT_EQ(Fingerprint(doc), before) << failAt;
        UINT children = 9;
        split->GetCount(&children);
        EXPECT_EQ(children, 0u) << failAt;
    }
}

TEST_F(TrackCommandTest, SplitOfATrackThatIsNotThereFails)
{
    CNyMultiTrackDoc* doc = Build({1}, {100});
    ComRef<IEditCommand> split(
        ComObject<IEditCommand>::Create<SplitTrackCommand>("Split", static_cast<CommandDocument*>(doc), 4));
    EXPECT_EQ(split->Do(), kMtErrNoTrack);
}
