// The render worker on documents of the real engine with the program's effect modules: its
// command protocol, in-place applies (one and two passes, lengthening, refusals, failures on a
// later track), new tracks from rendered files ("Mixing"), a new document, and its chain.
#include "EffectEnvironment.h"
#include "EffectFixture.h"
#include "FormatConverter.h"
#include "IEffectParameters.h"
#include "KvSEDely.h"
#include "KvSELevl.h"
#include "KvSEM2St.h"
#include "KvSENorm.h"
#include "KvSESpLr.h"
#include "KvSEVoCl.h"
#include "LabelRecord.h"
#include "RenderWorker.h"
#include "TestFilters.h"
#include "UnusableTempFolder.h"

#include <algorithm>
#include <cmath>

namespace {

// Waits for the handle with this thread's messages going, at most timeoutMs.
bool WaitPumping(HANDLE handle, DWORD timeoutMs = 60000)
{
    const DWORD until = ::GetTickCount() + timeoutMs;
    for (;;) {
        const DWORD now = ::GetTickCount();
        if (static_cast<LONG>(until - now) <= 0)
            return false;
        DWORD r = ::MsgWaitForMultipleObjects(1, &handle, FALSE, until - now, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            return true;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

void SetParameter(IUnknown* filter, int index, double value)
{
    ComRef<IEffectParameters> parameters;
    ASSERT_EQ(S_OK, filter->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid()));
    ASSERT_TRUE(SUCCEEDED(parameters->SetParameter(index, value)));
}

// A window that counts the worker's error reports.
class ReportWindow {
public:
    ReportWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "EffectsTestReports";
        ::RegisterClassA(&wc);
        hwnd = ::CreateWindowA("EffectsTestReports", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ReportWindow() { ::DestroyWindow(hwnd); }
    HWND hwnd;
    std::vector<HRESULT> reports;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        if (m == kWorkerErrorMessage)
            reinterpret_cast<ReportWindow*>(::GetWindowLongPtrA(h, GWLP_USERDATA))
                ->reports.push_back(static_cast<HRESULT>(l));
        return ::DefWindowProcA(h, m, w, l);
    }
};

class RenderWorkerTest : public EffectTest {
public:
    void TearDown() override
    {
        if (worker_) {
            worker_->StopGraph(0);
            worker_->DisconnectChain();
            worker_->RemoveEffectFilters();
            delete worker_;
            worker_ = nullptr;
        }
        EffectTest::TearDown();
    }
    CRenderWorker* StartWorker(HWND client = nullptr)
    {
        worker_ = new CRenderWorker(client);
        EXPECT_EQ(S_OK, worker_->Start());
        return worker_;
    }
    // The module's filter in the chain, told its surroundings as the dialog tells it.
    ComRef<IBaseFilter> AddModule(const char* module, const CLSID& id)
    {
        ComRef<IBaseFilter> filter = ModuleFilter(module, id);
        if (filter) {
            TellEffectEnvironment(filter.Get(), MakeEffectEnvironment(doc_->GetTrackChannels(0),
                                                                      doc_->GetSamplesPerSec()));
            EXPECT_EQ(S_OK, worker_->AddEffectFilter(filter.Get(), FALSE));
        }
        return filter;
    }
    // One command from post to its main-thread half, as a client runs it.
    HRESULT Run(LONG code)
    {
        worker_->document = doc_.get();
        worker_->history = doc_->GetHistory();
        worker_->SetSource(doc_->GetTrackSet());
        worker_->PostCommand(code, nullptr, false);
        EXPECT_TRUE(WaitPumping(worker_->doneEvent));
        return worker_->CompleteOnMainThread();
    }

    // Every live record of the label table as "kind track start end name", its track by index
    // (-1: on no track of the document).
    std::multiset<std::string> LiveLabels()
    {
        std::multiset<std::string> out;
        CLabelTable& table = doc_->GetLabels();
        for (int i = 0; i < table.GetSize(); ++i) {
            LabelRecord r{};
            if (!table.GetAt(i, &r) || r.id <= 0)
                continue;
            const int track = r.trackId == -1 ? -2 : doc_->TrackIdToIndex(r.trackId);
            out.insert(std::to_string(r.kind) + " " + std::to_string(track) + " " + std::to_string(r.start) + " " +
                       std::to_string(r.end) + " " + r.name);
        }
        return out;
    }

    CRenderWorker* worker_ = nullptr;
};

TEST_F(RenderWorkerTest, CodesWithoutAJobLeaveTheThreadWaitingAndTheDestructorEndsItAtOnce)
{
    NewDocument({1});
    CRenderWorker* w = StartWorker();
    LONG cancel = 7;
    w->SendProgress(2, "x", 50, 0, &cancel);
    EXPECT_EQ(0, cancel) << "no progress window: not cancelled";
    for (LONG code : {0, 9, 42}) {
        w->PostCommand(code, nullptr, true);
        EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(w->doneEvent, 300)) << code;
    }
    // Command 8 without a selected track fails before it changes anything, reports nothing
    // (only its second step reports) and still signals.
    ReportWindow reports;
    delete worker_;
    StartWorker(reports.hwnd);
    Select({}, 0, 0);
    EXPECT_TRUE(FAILED(Run(kCmdApplyToNewTracks)));
    EXPECT_TRUE(reports.reports.empty());
    EXPECT_EQ(0, Steps());
    const DWORD before = ::GetTickCount();
    delete worker_;
    worker_ = nullptr;
    EXPECT_LT(::GetTickCount() - before, 1000u) << "a waiting thread ends within a step";
}

TEST_F(RenderWorkerTest, APreviewThatCannotPlayIsReportedOnce)
{
    NewDocument({2});
    Fill16(0, Sine16(440, 44100, 44100, 2, 0.5));
    Select({0}, 0, 0);
    ReportWindow reports;
    CRenderWorker* w = StartWorker(reports.hwnd);
    AddModule("KvSELevl.dll", CLSID_KvSELevl);
    w->SetSource(doc_->GetTrackSet());
    w->PostPreview(nullptr);
    ASSERT_TRUE(WaitPumping(w->doneEvent));
    // The job reports after it has signalled: wait for it to go back to waiting.
    const DWORD until = ::GetTickCount() + 5000;
    while (reports.reports.empty() && static_cast<LONG>(until - ::GetTickCount()) > 0)
        WaitPumping(w->doneEvent, 50);
    if (SUCCEEDED(w->result))
        GTEST_SKIP() << "this machine has an audio output";
    ASSERT_EQ(1u, reports.reports.size());
    EXPECT_EQ(w->result, reports.reports[0]);
    EXPECT_NE(kRenderCancelled, reports.reports[0]);
}

TEST_F(RenderWorkerTest, GainOverASelectionIsOneEffectStepUndoneAndRedoneSampleExact)
{
    ThreadNotingDocument* doc = NewNotingDocument({2});
    Fill16(0, Sine16(440, 44100, 3 * 44100, 2, 0.25));
    Select({0}, 44100, 2 * 44100);
    const std::vector<int16_t> before = Track16(0);
    CRenderWorker* w = StartWorker();
    ComRef<IBaseFilter> gain = AddModule("KvSELevl.dll", CLSID_KvSELevl);
    SetParameter(gain.Get(), 0, 6.0);
    SetParameter(gain.Get(), 1, 6.0);
    ASSERT_EQ(S_OK, Run(kCmdApply));
    EXPECT_EQ(1, Steps());
    EXPECT_EQ("Effect", LastStepName());
    EXPECT_EQ(44100, w->renderedLength);
    const std::vector<int16_t> after = Track16(0);
    ASSERT_EQ(before.size(), after.size());
    size_t changedOutside = 0, wrongInside = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        const size_t frame = i / 2;
        if (frame < 44100 || frame >= 2 * 44100) {
            changedOutside += before[i] != after[i];
        } else if (std::abs(after[i] - std::lround(before[i] * 1.9953)) > 2) {
            ++wrongInside;
        }
    }
    EXPECT_EQ(0u, changedOutside);
    EXPECT_EQ(0u, wrongInside);
    EXPECT_EQ(std::set<DWORD>{::GetCurrentThreadId()}, doc->threads) << "the history changes on the main thread";

    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(before, Track16(0));
    ASSERT_EQ(S_OK, doc_->GetHistory()->Redo());
    EXPECT_EQ(after, Track16(0));
}

TEST_F(RenderWorkerTest, OneConverterServesTracksOfEveryChannelCountAndLaterApplies)
{
    // Gain works in float: each track goes back to 16 bits through the same converter, which
    // must follow each track's channel count, run after run.
    NewDocument({1, 2, 1});
    for (int t : {0, 1, 2})
        Fill16(t, Sine16(300 + 100 * t, 44100, 44100, t == 1 ? 2 : 1, 0.25));
    Select({0, 1, 2}, 0, 0);
    StartWorker();
    ComRef<IBaseFilter> gain = AddModule("KvSELevl.dll", CLSID_KvSELevl);
    SetParameter(gain.Get(), 0, 6.0);
    SetParameter(gain.Get(), 1, 6.0);
    std::vector<std::vector<int16_t>> expected;
    for (int t : {0, 1, 2})
        expected.push_back(Track16(t));
    for (int apply = 0; apply < 2; ++apply) {
        SCOPED_TRACE(apply);
        Select({0, 1, 2}, 0, 0);
        ASSERT_EQ(S_OK, Run(kCmdApply));
        for (int t : {0, 1, 2}) {
            const std::vector<int16_t> after = Track16(t);
            ASSERT_EQ(expected[t].size(), after.size()) << "track " << t;
            size_t wrong = 0;
            for (size_t i = 0; i < after.size(); ++i) {
                const long want = std::max(-32768L, std::min(32767L, std::lround(expected[t][i] * 1.9953)));
                wrong += std::abs(after[i] - want) > 2;
                expected[t][i] = after[i];
            }
            EXPECT_EQ(0u, wrong) << "track " << t;
        }
    }
    EXPECT_EQ(2, Steps());
}

TEST_F(RenderWorkerTest, NormalizeMeasuresEachTrackBeforeItsOwnPass)
{
    NewDocument({1, 1});
    Fill16(0, Sine16(300, 44100, 44100, 1, 0.2));
    Fill16(1, Sine16(500, 44100, 44100, 1, 0.6));
    Select({0, 1}, 0, 0);
    StartWorker();
    ComRef<IBaseFilter> normalize = AddModule("KvSENorm.dll", CLSID_KvSENorm);
    SetParameter(normalize.Get(), 0, -3.0);
    ASSERT_EQ(S_OK, Run(kCmdApplyTwoPass));
    EXPECT_EQ(1, Steps());
    const double target = 32767.0 * std::pow(10.0, -3.0 / 20.0);
    for (int t : {0, 1}) {
        int peak = 0;
        for (int16_t s : Track16(t))
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_NEAR(target, peak, target * 0.005) << "track " << t;
    }
}

TEST_F(RenderWorkerTest, DelayLengthensTheTrackAndRecordsTheFullResult)
{
    NewDocument({1});
    Fill16(0, Sine16(440, 44100, 44100, 1, 0.5));
    Select({0}, 0, 0);
    CRenderWorker* w = StartWorker();
    ComRef<IBaseFilter> delay = AddModule("KvSEDely.dll", CLSID_KvSEDely);
    SetParameter(delay.Get(), 0, 100);
    SetParameter(delay.Get(), 1, 50);
    ASSERT_EQ(S_OK, Run(kCmdApply));
    EXPECT_EQ(0, w->renderedLength) << "a lengthening effect reports no length";
    EXPECT_GT(doc_->GetTrackExtent(0, 0), 44100 + 4410);
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(44100, doc_->GetTrackExtent(0, 0));
}

TEST_F(RenderWorkerTest, RefusalsAndFailuresLeaveDocumentHistoryAndTemporaryFolderAsTheyWere)
{
    struct Case {
        const char* name;
        std::vector<WORD> tracks;
        HRESULT expected;
        std::function<void(RenderWorkerTest*)> chain;
    } cases[] = {
        {"a stereo-only effect over a selection holding a mono track",
         {2, 1},
         kRenderStereoOnly,
         [](RenderWorkerTest* t) { t->AddModule("KvSEVoCl.dll", CLSID_KvSEVoCl); }},
        {"a filter failing on the second of three tracks",
         {1, 1, 1},
         E_FAIL,
         [](RenderWorkerTest* t) {
             ComRef<IBaseFilter> failing(static_cast<IBaseFilter*>(new kvtest::FailingGain(2, 2)));
             failing->AddRef();
             EXPECT_EQ(S_OK, t->worker_->AddEffectFilter(failing.Get(), FALSE));
         }},
    };
    for (const Case& c : cases) {
        NewDocument(c.tracks);
        std::vector<std::vector<int16_t>> before;
        for (size_t t = 0; t < c.tracks.size(); ++t) {
            Fill16(static_cast<int>(t), Sine16(200.0 + 100 * t, 44100, 22050, c.tracks[t], 0.3));
            before.push_back(Track16(static_cast<int>(t)));
        }
        CSelectionModel* sel = doc_->GetSelection();
        sel->SetTrackSelected(-1, TRUE);
        sel->SetSelection(0, 0, TRUE);
        const std::set<std::string> files = TempFiles();
        ASSERT_FALSE(files.empty()) << "the folder is the one the modules write in";
        StartWorker();
        c.chain(this);
        EXPECT_EQ(c.expected, Run(kCmdApply)) << c.name;
        EXPECT_EQ(0, Steps()) << c.name;
        for (size_t t = 0; t < c.tracks.size(); ++t)
            EXPECT_EQ(before[t], Track16(static_cast<int>(t))) << c.name << ", track " << t;
        EXPECT_EQ(files, TempFiles()) << c.name;
        EXPECT_FALSE(doc_->IsModified()) << c.name;
        worker_->RemoveEffectFilters();
        delete worker_;
        worker_ = nullptr;
    }
}

TEST_F(RenderWorkerTest, AWriterThatCannotMakeItsFilesEndsEveryJobWithItsErrorAndChangesNothing)
{
    for (LONG code : {kCmdApply, kCmdApplyTwoPass, kCmdNewWindow, kCmdApplyToNewTracks}) {
        SCOPED_TRACE(code);
        NewDocument({1, 2});
        Fill16(0, Sine16(300, 44100, 22050, 1, 0.3));
        Fill16(1, Sine16(500, 44100, 22050, 2, 0.3));
        const std::vector<int16_t> before0 = Track16(0), before1 = Track16(1);
        Select({0, 1}, 0, 0);
        const std::set<std::string> files = TempFiles();
        ReportWindow reports;
        StartWorker(reports.hwnd);
        ComRef<IBaseFilter> gain = AddModule("KvSELevl.dll", CLSID_KvSELevl);
        SetParameter(gain.Get(), 0, 6.0);
        worker_->document = doc_.get();
        worker_->history = doc_->GetHistory();
        worker_->SetSource(doc_->GetTrackSet());
        bool done = false;
        {
            UnusableTempFolder unusable;
            ASSERT_TRUE(unusable.Ok());
            worker_->PostCommand(code, nullptr, false);
            done = WaitPumping(worker_->doneEvent, 30000);
        }
        ASSERT_TRUE(done) << "the job never ended";
        worker_->CompleteOnMainThread();
        // The writer's own reason, which the dialog shows in words.
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DIRECTORY), worker_->result) << std::hex << worker_->result;
        EXPECT_EQ(0, Steps());
        EXPECT_FALSE(doc_->IsModified());
        EXPECT_EQ(before0, Track16(0));
        EXPECT_EQ(before1, Track16(1));
        EXPECT_EQ(files, TempFiles());
        EXPECT_TRUE(doc_->GetSelection()->IsTrackSelectedAt(0) && doc_->GetSelection()->IsTrackSelectedAt(1));
        // The worker is whole: the next job, with the folder back, runs.
        if (code == kCmdApply) {
            ASSERT_EQ(S_OK, Run(kCmdApply));
            EXPECT_EQ(1, Steps());
            ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
            EXPECT_EQ(before0, Track16(0));
        }
        worker_->StopGraph(0);
        worker_->DisconnectChain();
        worker_->RemoveEffectFilters();
        delete worker_;
        worker_ = nullptr;
    }
}

TEST_F(RenderWorkerTest, GetNoiseProfileLeavesItsProfileAndNoStep)
{
    NewDocument({1});
    Fill16(0, Sine16(1000, 44100, 44100, 1, 0.1));
    Select({0}, 0, 0);
    const std::set<std::string> files = TempFiles();
    std::string profile = tempFolder_;
    if (!profile.empty() && profile.back() == '\\')
        profile.pop_back();
    profile += kNoiseProfileFile;
    ::DeleteFileA(profile.c_str());
    StartWorker();
    AddModule("KvSESpLr.dll", CLSID_KvSESpLr);
    ASSERT_EQ(S_OK, Run(kCmdApply));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(profile.c_str())) << profile;
    EXPECT_EQ(0, Steps());
    EXPECT_EQ(files, TempFiles()) << "the pass-through output is not kept";
}

TEST_F(RenderWorkerTest, MonoToStereoReplacesTheTrackInOneMixingStepKeepingLabelsOffsetAndEnvelopes)
{
    ThreadNotingDocument* doc = NewNotingDocument({1, 1});
    Fill16(0, Sine16(440, 44100, 20000, 1, 0.4), 1000);
    Fill16(1, Sine16(220, 44100, 5000, 1, 0.4));
    ASSERT_EQ(S_OK, doc_->GetTrackEditInterface(0, 0)->InsertPoint(500, 0.5f));
    LabelRecord cue{};
    cue.kind = kLabelCue;
    cue.trackId = doc_->TrackIndexToId(0);
    cue.start = cue.end = 3000;
    std::strcpy(cue.name, "here");
    ASSERT_GT(doc_->AddLabel(cue), 0);
    LabelRecord name{};
    ASSERT_TRUE(doc_->GetTrackLabel(0, &name));
    std::strcpy(name.name, "Voice");
    doc_->SetLabelAt(name);
    LabelRecord section{};
    section.kind = kLabelSection;
    section.trackId = doc_->TrackIndexToId(0);
    section.start = 4000;
    section.end = 9000;
    std::strcpy(section.name, "verse");
    ASSERT_GT(doc_->AddLabel(section), 0);
    Select({0}, 0, 0);
    const std::vector<int16_t> before = Track16(0);
    const std::multiset<std::string> marks = LiveLabels();
    ASSERT_EQ(1u, marks.count("1 0 3000 3000 here"));
    ASSERT_EQ(1u, marks.count("2 0 4000 9000 verse"));
    CRenderWorker* w = StartWorker();
    AddModule("KvSEM2St.dll", CLSID_KvSEM2St);
    ASSERT_EQ(S_OK, Run(kCmdApplyToNewTracks));
    EXPECT_EQ(20000, w->renderedLength);
    EXPECT_EQ(std::vector<std::string>{"Mixing"}, kvtest::UndoNames(doc_->GetHistory()));
    EXPECT_EQ(2, doc_->GetTrackCount());
    EXPECT_EQ(2, doc_->GetTrackChannels(0));
    EXPECT_EQ(1000, doc_->GetTrackExtent(0, -1));
    EXPECT_EQ(20000, doc_->GetTrackExtent(0, 0));
    EXPECT_FLOAT_EQ(0.5f, doc_->GetTrackLevel(0, 0, 1000 + 500));
    LabelRecord label{};
    ASSERT_TRUE(doc_->GetTrackLabel(0, &label));
    EXPECT_STREQ("Voice", label.name);
    std::vector<LabelRecord> cues;
    EXPECT_EQ(1, doc_->FindLabelsInRange(0, cues, 0, -1, kLabelCue));
    EXPECT_EQ(std::set<DWORD>{::GetCurrentThreadId()}, doc->threads);
    EXPECT_EQ(marks, LiveLabels()) << "one set of labels, on the new track";

    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(1, doc_->GetTrackChannels(0));
    EXPECT_EQ(before, Track16(0));
    EXPECT_EQ(marks, LiveLabels());
    ASSERT_EQ(S_OK, doc_->GetHistory()->Redo());
    EXPECT_EQ(2, doc_->GetTrackChannels(0));
    EXPECT_FLOAT_EQ(0.5f, doc_->GetTrackLevel(0, 0, 1000 + 500));
    EXPECT_EQ(marks, LiveLabels());
}

TEST_F(RenderWorkerTest, NewWindowGivesTheRenderedSoundToANewDocumentThatOwnsItsFile)
{
    NewDocument({2});
    Fill16(0, Sine16(440, 44100, 10000, 2, 0.4));
    Select({0}, 0, 0);
    CRenderWorker* w = StartWorker();
    ComRef<IBaseFilter> gain = AddModule("KvSELevl.dll", CLSID_KvSELevl);
    SetParameter(gain.Get(), 0, -6.0);
    SetParameter(gain.Get(), 1, -6.0);
    ASSERT_EQ(S_OK, Run(kCmdNewWindow));
    EXPECT_EQ(0, Steps()) << "the source document is not edited";
    const std::string data = w->WrittenDataFile();
    ASSERT_FALSE(data.empty());

    auto target = std::make_unique<CNyMultiTrackDoc>();
    target->m_bAutoDelete = FALSE;
    auto targetView = std::make_unique<CNyMultiTrackView>();
    targetView->SetPaneSizes(500, 400, 300);
    target->AddView(targetView.get());
    ASSERT_TRUE(target->OnNewDocument());
    ASSERT_EQ(1, target->GetTrackCount()) << "File New's empty track";
    ASSERT_EQ(S_OK, w->OpenResultAsNewDocument(target.get(), 0));
    delete worker_;
    worker_ = nullptr;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(data.c_str())) << "the new document's data stays";
    EXPECT_EQ(std::vector<std::string>{"Effect"}, kvtest::UndoNames(target->GetHistory()));
    EXPECT_EQ(1, target->GetTrackCount()) << "the empty track took the sound";
    EXPECT_EQ(10000, target->GetLength());
    EXPECT_EQ(2, target->GetTrackChannels(0));
    LONG value = 0;
    ASSERT_EQ(S_OK, target->GetTrack(0)->ReadSample(0, 2000, &value));
    LONG original = 0;
    doc_->GetTrack(0)->ReadSample(0, 2000, &original);
    EXPECT_NEAR(original * 0.5012, value, 2);
    targetView.reset();
    target.reset();
}

TEST_F(RenderWorkerTest, AChainOfIntegerOnlyFiltersConnectsOnTheSecondTry)
{
    NewDocument({1});
    Fill16(0, {100, -200, 300, -16000, 16000, 0});
    Select({0}, 0, 0);
    StartWorker();
    ComRef<IBaseFilter> gain(kvtest::TestGain::New(2));
    ASSERT_EQ(S_OK, worker_->AddEffectFilter(gain.Get(), FALSE));
    ASSERT_EQ(S_OK, Run(kCmdApply));
    EXPECT_EQ((std::vector<int16_t>{200, -400, 600, -32000, 32000, 0}), Track16(0));
}

TEST_F(RenderWorkerTest, AFilterWithoutOutputEndsTheChainOnlyWhenSaidTo)
{
    NewDocument({1});
    Fill16(0, Sine16(440, 44100, 4410, 1, 0.5));
    Select({0}, 0, 0);
    StartWorker();
    ComRef<IBaseFilter> renderer(kvtest::TestRenderer::New());
    auto* kept = static_cast<kvtest::TestRenderer*>(renderer.Get());
    EXPECT_EQ(E_FAIL, worker_->AddEffectFilter(renderer.Get(), FALSE));
    EXPECT_EQ(0u, worker_->ChainLength());
    ASSERT_EQ(S_OK, worker_->AddEffectFilter(renderer.Get(), TRUE));
    ASSERT_EQ(S_OK, Run(kCmdRender));
    EXPECT_EQ(4410u * 4, kept->received.size()) << "the mix in float frames reached the chain's end";
}

} // namespace

namespace {

// A 16-bit gain that takes its time over every buffer, so that a run lasts long enough for
// progress records to come.
struct SlowGain : kvtest::TestGain {
    SlowGain() : TestGain(1) {}

protected:
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override
    {
        // Slow by the sound, whatever the blocks it comes in: 30 ms per 8820 bytes.
        ::Sleep(DWORD(30 * std::max(in->GetActualDataLength(), 0L) / 8820 + 1));
        return TestGain::Transform(in, out);
    }
};

// The progress dialog as the worker meets it: answers "cancelled" once the run given has begun.
class CancellingProgress {
public:
    CancellingProgress(const kvtest::TestGain* gain, int run) : m_gain(gain), m_run(run)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "EffectsTestCancel";
        ::RegisterClassA(&wc);
        hwnd = ::CreateWindowA("EffectsTestCancel", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CancellingProgress() { ::DestroyWindow(hwnd); }
    HWND hwnd;
    int updates = 0;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        auto* self = reinterpret_cast<CancellingProgress*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
        if (self && m == kProgressMessage && w == 2) {
            ++self->updates;
            if (self->m_gain->startCount >= self->m_run)
                reinterpret_cast<ProgressRecord*>(l)->cancel = 1;
            return 0;
        }
        return ::DefWindowProcA(h, m, w, l);
    }
    const kvtest::TestGain* m_gain;
    int m_run;
};

TEST_F(RenderWorkerTest, ACancelOnTheSecondOfThreeTracksLeavesEverythingAsItWas)
{
    NewDocument({1, 1, 1});
    std::vector<std::vector<int16_t>> before;
    for (int t = 0; t < 3; ++t) {
        Fill16(t, Sine16(300.0 + 50 * t, 44100, 2 * 44100, 1, 0.3));
        before.push_back(Track16(t));
    }
    doc_->GetSelection()->SetTrackSelected(-1, TRUE);
    doc_->GetSelection()->SetSelection(0, 0, TRUE);
    const std::set<std::string> files = TempFiles();
    StartWorker();
    auto* slow = new SlowGain;
    ComRef<IBaseFilter> filter(static_cast<IBaseFilter*>(slow));
    filter->AddRef();
    ASSERT_EQ(S_OK, worker_->AddEffectFilter(filter.Get(), FALSE));
    CancellingProgress progress(slow, 2);
    worker_->document = doc_.get();
    worker_->history = doc_->GetHistory();
    worker_->SetSource(doc_->GetTrackSet());
    worker_->PostApply(progress.hwnd);
    ASSERT_TRUE(WaitPumping(worker_->doneEvent));
    EXPECT_EQ(kRenderCancelled, worker_->CompleteOnMainThread());
    EXPECT_EQ(2, slow->startCount.load()) << "the third track never ran";
    EXPECT_GT(progress.updates, 0);
    EXPECT_EQ(0, Steps());
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(before[t], Track16(t)) << t;
    EXPECT_EQ(files, TempFiles());
}

} // namespace
