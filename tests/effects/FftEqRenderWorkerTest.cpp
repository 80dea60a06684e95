// The FFT equaliser's worker on documents of the real engine with the equaliser module: the
// analysis writes nothing, an apply is one "Effect" step recorded on the main thread, and an
// apply that fails anywhere (a track's run, the recording) or renders nothing leaves the
// document, its history, its track marks and the temporary folder as they were.
#include "EffectFixture.h"
#include "FftEqRenderWorker.h"
#include "FormatConverter.h"
#include "IEffectParameters.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSEFFEQ.h"
#include "TestFilters.h"

#include <functional>

namespace {

class FftEqRenderWorkerTest : public EffectTest {
public:
    // The engine deletes a dropped file only inside its own temporary folder: the test's, not
    // the one a program started earlier in this process gave it.
    void SetUp() override
    {
        EffectTest::SetUp();
        ASSERT_EQ(S_OK, MtEngine::CreateTempStore(store_));
        ASSERT_EQ(S_OK, store_->QueryInterface(__uuidof(IMtTempSettings), settings_.OutVoid()));
        ASSERT_EQ(S_OK, settings_->GetFolder(engineFolder_, sizeof engineFolder_));
        ASSERT_EQ(S_OK, settings_->SetFolder(tempFolder_.c_str()));
    }
    void TearDown() override
    {
        Drop();
        if (settings_)
            settings_->SetFolder(engineFolder_);
        settings_.Reset();
        store_.Reset();
        EffectTest::TearDown();
    }
    void StartWorker()
    {
        worker_ = new CFftEqRenderWorker;
        ASSERT_EQ(S_OK, worker_->Start());
        equaliser_ = ModuleFilter("KvSEFFEQ.dll", CLSID_KvSEFFEQ);
        ASSERT_TRUE(equaliser_);
        ASSERT_EQ(S_OK, worker_->SetEffect(equaliser_.Get()));
        // A curve that changes the sound: one point, 12 dB down at 1 kHz.
        ComRef<IEffectParameters> parameters;
        ASSERT_EQ(S_OK, equaliser_->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid()));
        for (const auto& [index, value] : {std::pair<int, double>{7, 1}, {8, 1000}, {9, -12}})
            ASSERT_TRUE(SUCCEEDED(parameters->SetParameter(index, value)));
        worker_->engine = ComRef<IMtTrackSet>::Share(doc_->GetTrackSet());
    }
    void Drop()
    {
        if (!worker_)
            return;
        worker_->StopGraph(0);
        worker_->DisconnectChain();
        delete worker_;
        worker_ = nullptr;
        equaliser_.Reset();
    }
    // One command, waited for as the dialog waits; false when it did not end.
    bool Post(LONG code)
    {
        worker_->PostCommand(code, nullptr, false);
        const DWORD until = ::GetTickCount() + 60000;
        while (::MsgWaitForMultipleObjects(1, &worker_->doneEvent, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) {
            DispatchWaitingMessages();
            if (static_cast<LONG>(until - ::GetTickCount()) <= 0)
                return false;
        }
        return true;
    }
    // The engine's own marks, in track order.
    std::vector<LONG> Marked()
    {
        ComRef<IMtSelection> selection;
        EXPECT_EQ(S_OK, doc_->GetTrackSet()->QueryInterface(__uuidof(IMtSelection), selection.OutVoid()));
        std::vector<LONG> marked;
        for (LONG t = 0; t < doc_->GetTrackCount(); ++t) {
            LONG on = 0;
            if (selection && SUCCEEDED(selection->IsTrackMarked(t, &on)) && on)
                marked.push_back(t);
        }
        return marked;
    }

    CFftEqRenderWorker* worker_ = nullptr;
    ComRef<IBaseFilter> equaliser_;
    ComRef<IMtTempStore> store_;
    ComRef<IMtTempSettings> settings_;
    char engineFolder_[MAX_PATH] = {};
};

TEST_F(FftEqRenderWorkerTest, AnalysisOfOneChannelWritesNothingAndLeavesTheMarksAsTheyWere)
{
    NewDocument({2, 1});
    Fill16(0, Sine16(440, 44100, 22050, 2, 0.3));
    Fill16(1, Sine16(880, 44100, 22050, 1, 0.3));
    Select({0, 1}, 0, 0);
    const std::vector<LONG> marks = Marked();
    const std::set<std::string> files = TempFiles();
    StartWorker();
    worker_->trackIndex = 0;
    worker_->channel = 1;
    ASSERT_TRUE(Post(kFftEqAnalysis));
    EXPECT_EQ(S_OK, worker_->CompleteOnMainThread());
    EXPECT_EQ(files, TempFiles());
    EXPECT_EQ(marks, Marked());
    EXPECT_EQ(0, Steps());
    ComRef<IFftEqualizerSpectrum> spectrum;
    ASSERT_EQ(S_OK, equaliser_->QueryInterface(__uuidof(IFftEqualizerSpectrum), spectrum.OutVoid()));
    UINT bins = 0, rate = 0;
    ASSERT_EQ(S_OK, spectrum->GetSpectrum(nullptr, 0, &bins, &rate));
    EXPECT_GT(bins, 0u);
    EXPECT_EQ(44100u, rate);
}

TEST_F(FftEqRenderWorkerTest, AnApplyIsOneStepOrNothingAtAll)
{
    struct Case {
        const char* name;
        std::vector<WORD> tracks;
        std::vector<int> filled; // the tracks that hold sound
        HRESULT expected;
        int steps;
        std::function<void(FftEqRenderWorkerTest*)> setUp;
    } cases[] = {
        {"three tracks", {2, 1, 1}, {0, 1, 2}, S_OK, 1, [](FftEqRenderWorkerTest*) {}},
        {"a run failing on the second of three tracks",
         {1, 1, 1},
         {0, 1, 2},
         E_FAIL,
         0,
         [](FftEqRenderWorkerTest* t) {
             ComRef<IBaseFilter> failing(static_cast<IBaseFilter*>(new kvtest::FailingGain(1, 2)));
             failing->AddRef();
             EXPECT_EQ(S_OK, t->worker_->AddEffectFilter(failing.Get(), FALSE));
         }},
        {"a recording the history refuses",
         {1, 1},
         {0, 1},
         E_FAIL,
         0,
         [](FftEqRenderWorkerTest* t) { t->worker_->history = nullptr; }},
        {"selected tracks without sound", {1, 1}, {}, S_FALSE, 0, [](FftEqRenderWorkerTest*) {}},
    };
    for (const Case& c : cases) {
        NewDocument(c.tracks);
        std::vector<std::vector<uint8_t>> before;
        for (int t : c.filled)
            Fill16(t, Sine16(300.0 + 200 * t, 44100, 22050, c.tracks[static_cast<size_t>(t)], 0.3));
        for (size_t t = 0; t < c.tracks.size(); ++t)
            before.push_back(TrackBytes(static_cast<int>(t)));
        CSelectionModel* sel = doc_->GetSelection();
        sel->SetTrackSelected(-1, TRUE);
        sel->SetSelection(0, 0, TRUE);
        const std::vector<LONG> marks = Marked();
        const std::set<std::string> files = TempFiles();
        StartWorker();
        worker_->document = doc_.get();
        worker_->history = doc_->GetHistory();
        c.setUp(this);
        ASSERT_TRUE(Post(kFftEqApply)) << c.name;
        EXPECT_EQ(marks, Marked()) << c.name << ": the job puts the marks back";
        EXPECT_EQ(0, Steps()) << c.name << ": nothing recorded on the worker's thread";
        EXPECT_EQ(c.expected, worker_->CompleteOnMainThread()) << c.name;
        EXPECT_EQ(c.steps, Steps()) << c.name;
        for (size_t t = 0; t < c.tracks.size(); ++t) {
            if (c.steps)
                EXPECT_NE(before[t], TrackBytes(static_cast<int>(t))) << c.name << ", track " << t;
            else
                EXPECT_EQ(before[t], TrackBytes(static_cast<int>(t))) << c.name << ", track " << t;
        }
        if (c.steps) {
            EXPECT_EQ("Effect", LastStepName()) << c.name;
            ASSERT_EQ(S_OK, doc_->GetHistory()->Undo()) << c.name;
            for (size_t t = 0; t < c.tracks.size(); ++t)
                EXPECT_EQ(before[t], TrackBytes(static_cast<int>(t))) << c.name << ", track " << t;
        } else {
            EXPECT_EQ(files, TempFiles()) << c.name;
        }
        Drop();
    }
}

TEST(GraphWorkerProgress, APercentOfAKnownDurationOnlyAndNeverAbove100)
{
    const struct {
        LONGLONG position, duration;
        LONG percent;
    } cases[] = {{0, 0, 0},     {500, 0, 0},    {500, -1, 0},     {-5, 100, 0},
                 {50, 100, 50}, {999, 1000, 99}, {100, 100, 100}, {150, 100, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(c.percent, ProgressPercent(c.position, c.duration)) << c.position << " of " << c.duration;
}

} // namespace
