// The transport where there are no sound devices (the headless prefix), and what it plays,
// rendered without a device: the repeat switch and the loop range.
#include "ComRef.h"
#include "EngineFixture.h"
#include "ErrorText.h"
#include "PlaybackRenderer.h"
#include "ResourceModule.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

class TransportHeadlessTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        create_ = MtEngine::ExportAs<PFN_MtCreateInstance>(kMtOrdCreateInstance);
        ASSERT_TRUE(create_);
        ASSERT_EQ(S_OK, create_(kMtClsidTransport, reinterpret_cast<void**>(transport_.Out()), __uuidof(IMtTransport)));
        ASSERT_EQ(S_OK, transport_->QueryInterface(__uuidof(IMtSourceLink), reinterpret_cast<void**>(link_.Out())));
    }
    size_t TempTakeFiles(const EngineTempFolder& temp)
    {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(temp.File("KMT*.tmp").c_str(), &data);
        size_t n = 0;
        if (find != INVALID_HANDLE_VALUE) {
            do
                ++n;
            while (FindNextFileA(find, &data));
            FindClose(find);
        }
        return n;
    }

    PFN_MtCreateInstance create_ = nullptr;
    ComRef<IMtTransport> transport_;
    ComRef<IMtSourceLink> link_;
};

TEST_F(TransportHeadlessTest, AnswersEveryInterfaceAsOneObject)
{
    const IID* iids[] = {&__uuidof(IMtTransport),    &__uuidof(IMtPlayPosition), &__uuidof(IMtRecorder),
                         &__uuidof(IMtPlayStatus),   &__uuidof(IMtSourceLink),   &__uuidof(IMtNotify),
                         &__uuidof(IMtDeviceWindow), &__uuidof(IMtRecordItems)};
    ComRef<IUnknown> identity;
    ASSERT_EQ(S_OK, transport_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.Out())));
    for (const IID* iid : iids) {
        ComRef<IUnknown> face;
        ASSERT_EQ(S_OK, transport_->QueryInterface(*iid, reinterpret_cast<void**>(face.Out())));
        ComRef<IUnknown> back;
        ASSERT_EQ(S_OK, face->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(back.Out())));
        EXPECT_EQ(identity.Get(), back.Get());
    }
    ComRef<IUnknown> other;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              create_(__uuidof(IMtTransport), reinterpret_cast<void**>(other.Out()), __uuidof(IMtTransport)));
    EXPECT_EQ(E_POINTER, create_(kMtClsidTransport, nullptr, __uuidof(IMtTransport)));
}

TEST_F(TransportHeadlessTest, WithoutDevicesNothingStartsAndNothingIsLeft)
{
    EngineTempFolder temp;
    ASSERT_TRUE(temp.Ready());
    ComRef<IMtTrack> track;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, track.Out(), -1));
    ASSERT_EQ(S_OK, track->SetRecordArmed(1));
    EXPECT_EQ(E_UNEXPECTED, transport_->Start(0)) << "nothing attached";
    struct {
        LONG attach, start;
    } cases[] = {{1, 0}, {2, 1}, {3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attach);
        ASSERT_EQ(S_OK, link_->Attach(set_.Get(), c.attach));
        EXPECT_EQ(kMtErrNoDevice, transport_->Start(c.start));
        LONG state = 0;
        transport_->GetState(&state);
        EXPECT_EQ(1, state);
    }
    EXPECT_EQ(kMtErrNoDevice, link_->SetMonitoring(set_.Get(), 1));
    ComRef<IMtRecorder> recorder;
    ASSERT_EQ(S_OK, transport_->QueryInterface(__uuidof(IMtRecorder), reinterpret_cast<void**>(recorder.Out())));
    EXPECT_EQ(0, recorder->GetStatus());
    ComRef<IMtRecordItems> records;
    ASSERT_EQ(S_OK, transport_->QueryInterface(__uuidof(IMtRecordItems), reinterpret_cast<void**>(records.Out())));
    ComRef<IMtItemList> list;
    ASSERT_EQ(S_OK, records->GetItemList(list.Out()));
    EXPECT_TRUE(list->IsEmpty());
    EXPECT_EQ(0u, TempTakeFiles(temp));
    EXPECT_EQ(S_OK, transport_->Stop());
    EXPECT_EQ(S_OK, MtEngine::ExportAs<PFN_MtSuspendAudio>(kMtOrdSuspendAudio)(1));
    EXPECT_EQ(S_OK, MtEngine::ExportAs<PFN_MtSuspendAudio>(kMtOrdSuspendAudio)(0));
    EXPECT_EQ(S_OK, MtEngine::ExportAs<PFN_MtUninitialize>(kMtOrdUninitialize)());
}

TEST_F(TransportHeadlessTest, AsioCallsAnswerNoDriver)
{
    IUnknown* driver = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(kMtErrNoDevice, MtEngine::ExportAs<PFN_MtGetAsioDriver>(kMtOrdGetAsioDriver)(&driver));
    EXPECT_EQ(nullptr, driver);
    EXPECT_EQ(kMtErrNoDevice, MtEngine::ExportAs<PFN_MtSelectAsioDriver>(kMtOrdSelectAsioDriver)("Any"));
    EXPECT_EQ(kMtErrNoDevice, MtEngine::ExportAs<PFN_MtOpenAsio>(kMtOrdOpenAsio)());
    EXPECT_EQ(0, MtEngine::ExportAs<PFN_MtGetAsioDriverCount>(kMtOrdGetAsioDriverCount)());
}

// The codes the transport answers or posts have texts of their own.
TEST(TransportErrorText, EveryDeviceCodeHasItsText)
{
    struct {
        HRESULT code;
        const char* text;
    } cases[] = {
        {kMtErrNoDevice, "No audio device is available."},
        {kMtErrDeviceInUse, "The audio device is in use."},
        {kMtErrPlaybackOpen, "Could not open the specified playback device."},
        {kMtErrRecordOpen, "Could not open the recording device."},
        {kMtErrDiskFull, "The disk is full.  Recording stopped."},
    };
    for (const auto& c : cases) {
        ErrorText text(GetResourceModule());
        EXPECT_EQ(0, strncmp(text.GetText(c.code), c.text, strlen(c.text))) << std::hex << c.code;
    }
}

// Rendering a track whose sample at position t is t + 1, the output names the positions played.
struct LoopCase {
    const char* name;
    LONG repeat;
    LONGLONG loopStart, loopEnd;                      // the set's loop range
    LONGLONG rangeStart, rangeEnd;                    // the selection
    std::vector<std::pair<LONGLONG, LONGLONG>> heard; // stretches, in order
    bool ends;                                        // done after them
};

class RendererLoopTest : public EngineTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(RendererLoopTest, PlaysTheStretchesTheSwitchAndRangeGive)
{
    const LoopCase& c = GetParam();
    const LONGLONG length = 1000;
    std::vector<int16_t> ramp(length);
    for (LONGLONG t = 0; t < length; ++t)
        ramp[size_t(t)] = int16_t(t + 1);
    ASSERT_EQ(S_OK, set_->SetFormat(16, 48000));
    ComRef<IMtTrack> track;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, track.Out(), -1));
    ComRef<IMtItem> item;
    *item.Out() = MakeItem("ramp.raw", ramp.data(), ramp.size() * 2, 1, 16, 48000);
    ComRef<IMtClip> clip;
    *clip.Out() = ClipOf(item.Get());
    ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), 0, 0, 0));
    ASSERT_EQ(S_OK, set_->SetShuttleStart(c.repeat));
    ASSERT_EQ(S_OK, set_->SetLoopRange(&c.loopStart, &c.loopEnd));

    LONGLONG expected = 0;
    for (const auto& s : c.heard)
        expected += s.second - s.first;
    PlaybackRenderer renderer;
    ASSERT_EQ(S_OK, renderer.Begin(set_.Get(), c.rangeStart, c.rangeEnd));
    std::vector<LONGLONG> heard;
    std::vector<int16_t> block(2 * 64);
    while (LONGLONG(heard.size()) < expected && !renderer.Done()) {
        LONGLONG from = 0;
        HRESULT hr = S_OK;
        size_t got = renderer.Render(block.data(), size_t(std::min<LONGLONG>(64, expected - LONGLONG(heard.size()))),
                                     &from, &hr);
        ASSERT_EQ(S_OK, hr);
        for (size_t i = 0; i < got; ++i) {
            ASSERT_EQ(block[2 * i], block[2 * i + 1]);
            ASSERT_EQ(from + LONGLONG(i), block[2 * i] - 1) << "the stretch starts where it says";
            heard.push_back(block[2 * i] - 1);
        }
    }
    std::vector<LONGLONG> want;
    for (const auto& s : c.heard)
        for (LONGLONG t = s.first; t < s.second; ++t)
            want.push_back(t);
    EXPECT_EQ(want, heard);
    EXPECT_EQ(c.ends, renderer.Done());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RendererLoopTest,
    ::testing::Values(
        LoopCase{"RangeAloneDoesNotLoop", 0, 200, 400, 0, 1000, {{0, 1000}}, true},
        LoopCase{
            "SwitchWrapsTheLoopRange", 1, 200, 400, 0, 1000, {{0, 400}, {200, 400}, {200, 400}, {200, 400}}, false},
        LoopCase{"SwitchWithoutRangeWrapsWhatPlays", 1, 0, 0, 100, 300, {{100, 300}, {100, 300}}, false},
        LoopCase{"RangeOutsideWhatPlaysWrapsWhatPlays", 1, 500, 600, 100, 300, {{100, 300}, {100, 200}}, false},
        LoopCase{"RangeCutToWhatPlays", 1, 200, 900, 100, 300, {{100, 300}, {200, 300}}, false}),
    [](const ::testing::TestParamInfo<LoopCase>& i) { return std::string(i.param.name); });

} // namespace

namespace {

// Every object a transport makes goes with it: the module counts none afterwards.
TEST(TransportLifetime, ReleasedTransportsLeaveNoObjects)
{
    ASSERT_EQ(S_OK, MtEngine::Load());
    HMODULE module = GetModuleHandleA("KsMultiTrack.dll");
    ASSERT_TRUE(module);
    auto canUnload =
        reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_TRUE(canUnload);
    ASSERT_EQ(S_OK, canUnload()) << "objects of earlier tests are still alive";
    {
        ComRef<IMtTrackSet> set;
        ASSERT_EQ(S_OK, MtEngine::CreateTrackSet(set));
        auto create = MtEngine::ExportAs<PFN_MtCreateInstance>(kMtOrdCreateInstance);
        ComRef<IMtTransport> first, second;
        ASSERT_EQ(S_OK, create(kMtClsidTransport, reinterpret_cast<void**>(first.Out()), __uuidof(IMtTransport)));
        ASSERT_EQ(S_OK, create(kMtClsidTransport, reinterpret_cast<void**>(second.Out()), __uuidof(IMtTransport)));
        ComRef<IMtSourceLink> link;
        ASSERT_EQ(S_OK, first->QueryInterface(__uuidof(IMtSourceLink), reinterpret_cast<void**>(link.Out())));
        ASSERT_EQ(S_OK, link->Attach(set.Get(), 2));
        first->Start(1);
        ComRef<IMtRecordItems> records;
        ASSERT_EQ(S_OK, second->QueryInterface(__uuidof(IMtRecordItems), reinterpret_cast<void**>(records.Out())));
        ComRef<IMtItemList> list;
        ASSERT_EQ(S_OK, records->GetItemList(list.Out()));
        EXPECT_EQ(S_FALSE, canUnload());
    }
    EXPECT_EQ(S_OK, canUnload());
}

} // namespace

namespace {

// Levels change while playing: what the renderer gives follows a change within 100 ms of
// sound (it takes the mix up again that often), never before the change.
struct LevelCase {
    const char* name;
    void (*change)(IMtTrackSet* set, IMtTrack* track);
    int16_t after;
};

class RendererLevelTest : public EngineTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(RendererLevelTest, ChangesAreHeardWithinATenthOfASecond)
{
    const LevelCase& c = GetParam();
    const DWORD rate = 48000;
    std::vector<int16_t> level(rate, 16384);
    ASSERT_EQ(S_OK, set_->SetFormat(16, rate));
    ComRef<IMtTrack> track;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, track.Out(), -1));
    ComRef<IMtItem> item;
    *item.Out() = MakeItem("level.raw", level.data(), level.size() * 2, 1, 16, rate);
    ComRef<IMtClip> clip;
    *clip.Out() = ClipOf(item.Get());
    ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), 0, 0, 0));

    PlaybackRenderer renderer;
    ASSERT_EQ(S_OK, renderer.Begin(set_.Get(), 0, rate));
    std::vector<int16_t> block(2 * 480);
    auto next = [&]() {
        LONGLONG from = 0;
        HRESULT hr = S_OK;
        EXPECT_EQ(480u, renderer.Render(block.data(), 480, &from, &hr));
        return block[0];
    };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(16384, next());
    c.change(set_.Get(), track.Get());
    int blocks = 0;
    while (next() != c.after && blocks < 20)
        ++blocks;
    EXPECT_LE(blocks, 10) << "heard after " << blocks * 10 << " ms";
    EXPECT_EQ(c.after, block[1]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RendererLevelTest,
    ::testing::Values(LevelCase{"TrackVolume", [](IMtTrackSet*, IMtTrack* t) { t->SetVolume(0.5f); }, 8192},
                      LevelCase{"MasterVolume", [](IMtTrackSet* s, IMtTrack*) { s->SetMasterVolume(0.25f); }, 4096},
                      LevelCase{"Mute", [](IMtTrackSet*, IMtTrack* t) { t->SetFlag(kMtFlagMute, 1); }, 0},
                      LevelCase{"LevelEnvelope",
                                [](IMtTrackSet*, IMtTrack* t) {
                                    ComRef<IMtEnvelopeSet> envelopes = QueryCom<IMtEnvelopeSet>(t);
                                    envelopes->SetValue(kMtEnvLevel, 0.5f);
                                },
                                8192}),
    [](const ::testing::TestParamInfo<LevelCase>& i) { return std::string(i.param.name); });

} // namespace
