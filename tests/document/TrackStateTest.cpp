// Mute, solo, groups and arming: the flags the document sets and what the mix then plays.
#include "DocumentFixture.h"

#include "KsMultiTrackLoader.h"
#include "TestSupport.h"

#include <cmath>
#include <fstream>
#include <functional>

namespace {

// Track t holds a constant 16-bit value of 1000 x 2^t, so the mix tells which tracks sound.
constexpr int kFrames = 64;

void FillTrack(IMtTrack* track, const std::string& path, int16_t value)
{
    std::vector<int16_t> samples(kFrames, value);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
    MtFileItemRecord record{};
    strncpy(record.path, path.c_str(), sizeof(record.path) - 1);
    record.channels = 1;
    record.bitsPerSample = 16;
    record.samplesPerSec = 44100;
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(list));
    ASSERT_EQ(S_OK, list->AddFileItem(&record, path.c_str(), nullptr, 0));
    ASSERT_EQ(S_OK, list->ResetItems(0));
    ComRef<IUnknown> item;
    ASSERT_EQ(S_OK, list->NextItem(item.Out(), nullptr));
    ComRef<IMtClip> clip;
    ASSERT_EQ(S_OK, MtEngine::CreateClip(clip));
    MtClipFormat format{44100, 16, 1};
    ASSERT_EQ(S_OK, clip->SetFormat(&format));
    ASSERT_EQ(S_OK, clip->SetSource(item.Get(), 0, -1));
    ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), 0, 0, 0));
}

// Bit t set when track t sounds in the mix.
int Heard(CNyMultiTrackDoc* doc)
{
    ComRef<IMtMixReader> reader;
    EXPECT_EQ(S_OK, doc->GetTrackSet()->CreateMixReader(2, kMtMixAllTracks, reader.Out()));
    if (!reader)
        return -1;
    EXPECT_EQ(S_OK, reader->SetRange(0, kFrames));
    float frames[2 * 8] = {};
    DWORD read = 0;
    EXPECT_EQ(S_OK, reader->Read(frames, 8, &read));
    return static_cast<int>(std::lround(frames[0] * 32768.0 / 1000.0));
}

int FlagBits(CNyMultiTrackDoc* doc, DWORD flag)
{
    int bits = 0;
    for (int t = 0; t < doc->GetTrackCount(); ++t)
        if (doc->GetTrackFlag(t, flag))
            bits |= 1 << t;
    return bits;
}

} // namespace

class TrackStateTest : public DocumentTest {
protected:
    CNyMultiTrackDoc* ThreeSoundingTracks(const std::vector<int>& groups)
    {
        CNyMultiTrackDoc* doc = NewDocument({1, 1, 1});
        for (int t = 0; t < 3; ++t) {
            FillTrack(doc->GetTrack(t), scratch_.File("t" + std::to_string(t) + ".raw"),
                      static_cast<int16_t>(1000 << t));
            doc->SetTrackGroup(doc->GetTrack(t), groups[static_cast<size_t>(t)]);
        }
        return doc;
    }
    kvtest::ScratchFolder scratch_;
};

TEST_F(TrackStateTest, MuteSoloAndGroupsDecideWhatTheMixPlays)
{
    using Steps = std::function<void(CNyMultiTrackDoc*)>;
    struct Case {
        const char* name;
        std::vector<int> groups;
        BOOL grouping;
        Steps steps;
        int mute, solo, heard;
    };
    const Case cases[] = {
        {"nothing set: every track sounds", {1, 2, 3}, TRUE, [](CNyMultiTrackDoc*) {}, 0, 0, 7},
        {"solo on track 1 silences tracks 2 and 3",
         {1, 2, 3},
         TRUE,
         [](CNyMultiTrackDoc* d) { d->SetTrackSolo(0, TRUE); },
         0,
         1,
         1},
        {"soloing every track solos nothing",
         {1, 2, 3},
         TRUE,
         [](CNyMultiTrackDoc* d) {
             d->SetTrackMute(2, TRUE);
             d->SetTrackSolo(0, TRUE);
             d->SetTrackSolo(1, TRUE);
             d->SetTrackSolo(2, TRUE);
         },
         0,
         0,
         7},
        {"solo wins over mute of other tracks and clears the soloed track's mute",
         {1, 2, 3},
         TRUE,
         [](CNyMultiTrackDoc* d) {
             d->SetTrackMute(0, TRUE);
             d->SetTrackMute(1, TRUE);
             d->SetTrackSolo(0, TRUE);
         },
         2,
         1,
         1},
        {"muting a grouped track mutes its group and clears solo there",
         {1, 1, 2},
         TRUE,
         [](CNyMultiTrackDoc* d) {
             d->SetTrackSolo(1, TRUE);
             d->SetTrackMute(0, TRUE);
         },
         3,
         0,
         4},
        {"without grouping a mute stays on its track",
         {1, 1, 2},
         FALSE,
         [](CNyMultiTrackDoc* d) { d->SetTrackMute(0, TRUE); },
         1,
         0,
         6},
        {"with all tracks in one group solo does nothing",
         {1, 1, 1},
         TRUE,
         [](CNyMultiTrackDoc* d) { d->SetTrackSolo(0, TRUE); },
         0,
         0,
         7},
        {"mute of every track (-1) clears every solo",
         {1, 2, 3},
         TRUE,
         [](CNyMultiTrackDoc* d) {
             d->SetTrackSolo(1, TRUE);
             d->SetTrackMute(-1, TRUE);
         },
         7,
         0,
         0},
        {"unmuting brings the track back",
         {1, 2, 3},
         TRUE,
         [](CNyMultiTrackDoc* d) {
             d->SetTrackMute(-1, TRUE);
             d->SetTrackMute(1, FALSE);
         },
         5,
         0,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CNyMultiTrackDoc* doc = ThreeSoundingTracks(c.groups);
        doc->EnableGrouping(c.grouping);
        c.steps(doc);
        EXPECT_EQ(c.mute, FlagBits(doc, kMtFlagMute));
        EXPECT_EQ(c.solo, FlagBits(doc, kMtFlagSolo));
        EXPECT_EQ(c.heard, Heard(doc));
        int silenced = 0;
        for (int t = 0; t < 3; ++t)
            silenced |= doc->IsTrackSilenced(t) ? 1 << t : 0;
        EXPECT_EQ(7 & ~c.heard, silenced) << "the engine's silenced state follows mute and solo";
    }
}

TEST_F(TrackStateTest, ArmingOneTrackAtATimeUnlessAsio)
{
    struct Case {
        const char* name;
        BOOL asio;
        WORD recordChannels;
        std::function<void(CNyMultiTrackDoc*)> steps;
        int armed;
        std::vector<HRESULT> shown;
    };
    const HRESULT refused = static_cast<HRESULT>(0x83E8083B);
    const Case cases[] = {
        {"arming track 2 disarms track 1",
         FALSE,
         1,
         [](CNyMultiTrackDoc* d) {
             d->SetTrackRecord(0, TRUE);
             d->SetTrackRecord(1, TRUE);
         },
         2,
         {}},
        {"a stereo track with data does not take a mono recording",
         FALSE,
         1,
         [](CNyMultiTrackDoc* d) {
             d->SetTrackRecord(0, TRUE);
             d->SetTrackRecord(2, TRUE);
         },
         1,
         {refused}},
        {"an empty stereo track may be armed for mono",
         FALSE,
         1,
         [](CNyMultiTrackDoc* d) { d->SetTrackRecord(3, TRUE); },
         8,
         {}},
        {"with ASIO several tracks are armed",
         TRUE,
         1,
         [](CNyMultiTrackDoc* d) {
             d->SetTrackRecord(0, TRUE);
             d->SetTrackRecord(1, TRUE);
             d->SetTrackRecord(2, TRUE);
         },
         7,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_.asio = c.asio;
        host_.shown.clear();
        CNyMultiTrackDoc* doc = NewDocument({1, 1, 2, 2});
        FillTrack(doc->GetTrack(0), scratch_.File("a.raw"), 100);
        ComRef<IMtTrack> stereo;
        doc->GetTrackSet()->GetTrack(2, stereo.Out());
        FillTrack(stereo.Get(), scratch_.File("b.raw"), 100);
        ASSERT_EQ(S_OK, doc->GetTrackSet()->SetRecordChannels(c.recordChannels));
        c.steps(doc);
        EXPECT_EQ(c.armed, FlagBits(doc, kMtFlagRecord));
        EXPECT_EQ(c.shown, host_.shown);
    }
}

TEST_F(TrackStateTest, AsioMonitoringFailureRestoresTheArming)
{
    host_.asio = TRUE;
    host_.monitoringResult = E_FAIL;
    CNyMultiTrackDoc* doc = NewDocument({1, 1});
    doc->SetTrackRecord(0, TRUE);
    EXPECT_EQ(0, FlagBits(doc, kMtFlagRecord));
    EXPECT_EQ(std::vector<HRESULT>{E_FAIL}, host_.shown);
}

TEST_F(TrackStateTest, RecordingWhilePlayingNeedsAnEmptyTrackOrFewerThanSix)
{
    host_.recordWhilePlaying = TRUE;
    struct Case {
        int tracks;
        bool lastEmpty;
        HRESULT expected;
    };
    const Case cases[] = {{6, false, static_cast<HRESULT>(0x83E807D5)}, {5, false, S_OK}, {6, true, S_OK}};
    for (const Case& c : cases) {
        CNyMultiTrackDoc* doc = NewDocument(std::vector<WORD>(static_cast<size_t>(c.tracks), 1));
        for (int t = 0; t < c.tracks - (c.lastEmpty ? 1 : 0); ++t)
            FillTrack(doc->GetTrack(t), scratch_.File("r" + std::to_string(t) + ".raw"), 10);
        EXPECT_EQ(c.expected, doc->CheckRecordTracks()) << c.tracks << (c.lastEmpty ? " with an empty one" : "");
    }
}

TEST_F(TrackStateTest, GroupsColoursAndMasterVolume)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 1, 1, 1});
    const int groups[] = {1, 2, 4, 0};
    for (int t = 0; t < 4; ++t)
        doc->SetTrackGroup(doc->GetTrack(t), groups[t]);
    EXPECT_EQ(3, doc->GetFreeGroupNumber());
    EXPECT_EQ(-1, doc->GetTrackGroup(9));

    doc->SetLeadTrack(2);
    doc->AssignGroupToLeadTrack(3, TRUE);
    EXPECT_EQ(4, doc->GetTrackGroup(3));
    doc->AssignGroupToLeadTrack(3, FALSE);
    EXPECT_EQ(3, doc->GetTrackGroup(3));

    EXPECT_EQ(RGB(1, 2, 3), doc->GetTrackColor(doc->GetTrack(0))) << "a track without colour takes the skin's";
    doc->SetTrackColor(doc->GetTrack(0), RGB(9, 9, 9));
    EXPECT_EQ(RGB(9, 9, 9), doc->GetTrackColor(doc->GetTrack(0)));
    EXPECT_EQ(2, doc->GetTrackGroup(1)) << "colour and group share one record";

    doc->SetMasterVolume(15000);
    float volume = 0;
    doc->GetTrackSet()->GetMasterVolume(&volume);
    EXPECT_FLOAT_EQ(1.5f, volume);
    doc->GetTrackSet()->SetMasterVolume(0.5f);
    EXPECT_EQ(5000, doc->GetMasterVolume());
}

TEST_F(TrackStateTest, FadeHandlesOfTheSineAndLinearShapes)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 1});
    struct Case {
        int direction, curve;
        int64_t start, end;
        size_t points;
        int64_t firstInner;
        float firstInnerGain;
        float startGain;
    };
    const Case cases[] = {
        {kCmdFadeIn, kCmdFadeSine, 0, 1000, 92, 5, 0.01f, 0.0f},
        {kCmdFadeOut, kCmdFadeSine, 0, 1000, 92, 5, 0.99f, 1.0f},
        {kCmdFadeIn, kCmdFadeSine, 0, 2, 2, -1, 0.0f, 0.0f},
        {kCmdFadeIn, kCmdFadeLinear, 100, 1100, 2, -1, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        auto editors = std::make_unique<std::vector<CFadeHandleEditor>>(2);
        for (int t = 0; t < 2; ++t)
            (*editors)[static_cast<size_t>(t)].Init(view_.get(), t, c.start, c.end);
        doc->SetHandleEditors(std::move(editors));
        doc->BuildFadeHandles(c.direction, c.curve);
        for (int t = 0; t < 2; ++t) {
            const std::vector<HandlePoint>& h = doc->GetHandleEditTrack(t)->Handles();
            ASSERT_EQ(c.points, h.size()) << c.end - c.start;
            EXPECT_EQ(c.start, h.front().position);
            EXPECT_FLOAT_EQ(c.startGain, h.front().gain);
            EXPECT_EQ(c.end, h.back().position);
            EXPECT_FLOAT_EQ(1.0f - c.startGain, h.back().gain);
            if (c.firstInner >= 0) {
                EXPECT_EQ(c.firstInner, h[1].position);
                EXPECT_FLOAT_EQ(c.firstInnerGain, h[1].gain);
            }
        }
        EXPECT_TRUE(doc->HasEditHandles(1));
    }
    doc->BuildFadeHandles(kCmdFadeIn, 1999);
    EXPECT_EQ(2u, doc->GetHandleEditTrack(0)->Handles().size()) << "an unknown shape leaves the handles";
    view_->SetEditMode(2);
    doc->BuildFadeHandles(kCmdFadeIn, 1999);
    EXPECT_FLOAT_EQ(1.0f, doc->GetHandleEditTrack(0)->Handles().front().gain) << "envelope mode: unity at both ends";
    doc->TakeHandleEditors();
    EXPECT_EQ(nullptr, doc->GetHandleEditTrack(0));
}
