// Reverse and Mute on documents of the real engine: frames in the engine's storage of each
// depth, undone and redone exactly, and a cancel on a later track that leaves nothing behind.
#include "EffectFixture.h"
#include "MuteJob.h"
#include "ProgressReporter.h"
#include "ReverseJob.h"

#include <algorithm>

namespace {

int StorageBytes(WORD bits)
{
    return bits == 8 ? 1 : bits == 16 ? 2 : 4;
}

// Frames [first, last) of frames of frameBytes bytes, last frame first.
std::vector<uint8_t> Reversed(const std::vector<uint8_t>& bytes, size_t frameBytes, size_t first, size_t last)
{
    std::vector<uint8_t> out = bytes;
    for (size_t f = first; f < last; ++f)
        std::memcpy(&out[f * frameBytes], &bytes[(last - 1 - (f - first)) * frameBytes], frameBytes);
    return out;
}

// A ramp in the storage of the depth: every frame different.
std::vector<uint8_t> Ramp(WORD bits, size_t frames, int channels)
{
    std::vector<uint8_t> out(frames * channels * StorageBytes(bits));
    for (size_t i = 0; i < frames * channels; ++i) {
        if (bits == 8) {
            out[i] = static_cast<uint8_t>(i * 7 + 3);
        } else if (bits == 16) {
            const int16_t v = static_cast<int16_t>(i * 13 - 20000);
            std::memcpy(&out[i * 2], &v, 2);
        } else {
            const float v = static_cast<float>(static_cast<double>(i % 100000) / 100000.0 - 0.5);
            std::memcpy(&out[i * 4], &v, 4);
        }
    }
    return out;
}

class TrackRangeJobTest : public EffectTest {
protected:
    void NewDocumentOf(WORD bits, std::vector<WORD> channels)
    {
        NewDocument(channels);
        ASSERT_EQ(S_OK, doc_->GetTrackSet()->SetFormat(bits, 44100));
    }
    HRESULT RunJob(TrackRangeJob& job)
    {
        job.SetEngine(doc_->GetTrackSet());
        job.SetHistory(doc_->GetHistory());
        job.SetDocument(doc_.get());
        return job.Run();
    }
};

TEST_F(TrackRangeJobTest, ReverseAndMuteWriteTheEnginesFramesOfEveryDepth)
{
    struct Case {
        const char* name;
        bool reverse;
        WORD bits;
        int channels;
        size_t frames;
        size_t first, last; // selected frames; equal: none, the whole track
    } cases[] = {
        {"reverse 2.5 s of 16-bit stereo", true, 16, 2, 110250, 20000, 110250},
        {"reverse 24-bit stereo", true, 24, 2, 100000, 1000, 90001},
        {"reverse 32-bit mono, whole track", true, 32, 1, 50000, 0, 0},
        {"mute 8-bit mono", false, 8, 1, 30000, 10000, 20000},
        {"mute 16-bit stereo, whole track", false, 16, 2, 30000, 0, 0},
    };
    for (const Case& c : cases) {
        NewDocumentOf(c.bits, {static_cast<WORD>(c.channels)});
        const std::vector<uint8_t> before = Ramp(c.bits, c.frames, c.channels);
        FillBytes(0, before);
        ASSERT_EQ(before, TrackBytes(0)) << c.name;
        Select({0}, c.first, c.last);
        CReverseJob reverse;
        CMuteJob mute;
        ASSERT_EQ(S_OK, RunJob(c.reverse ? static_cast<TrackRangeJob&>(reverse) : mute)) << c.name;

        const size_t frameBytes = static_cast<size_t>(c.channels * StorageBytes(c.bits));
        const size_t first = c.first == c.last ? 0 : c.first, last = c.first == c.last ? c.frames : c.last;
        std::vector<uint8_t> expected = before;
        if (c.reverse)
            expected = Reversed(before, frameBytes, first, last);
        else
            std::fill(expected.begin() + first * frameBytes, expected.begin() + last * frameBytes,
                      c.bits == 8 ? uint8_t{0x80} : uint8_t{0});
        const std::vector<uint8_t> after = TrackBytes(0);
        EXPECT_EQ(expected, after) << c.name;
        EXPECT_EQ(std::vector<std::string>{"Effect"}, kvtest::UndoNames(doc_->GetHistory())) << c.name;
        ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
        EXPECT_EQ(before, TrackBytes(0)) << c.name;
        ASSERT_EQ(S_OK, doc_->GetHistory()->Redo());
        EXPECT_EQ(after, TrackBytes(0)) << c.name;
    }
}

// A progress window that answers "cancelled" to the updates of one progress (1 = the first).
class CancellingWindow {
public:
    explicit CancellingWindow(int cancelledOpen) : m_cancelledOpen(cancelledOpen)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "EffectsTestProgress";
        ::RegisterClassA(&wc);
        hwnd = ::CreateWindowA("EffectsTestProgress", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CancellingWindow() { ::DestroyWindow(hwnd); }
    HWND hwnd;
    int opens = 0;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        auto* self = reinterpret_cast<CancellingWindow*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
        if (self && m == ProgressOpenMessage())
            ++self->opens;
        if (self && m == ProgressUpdateMessage())
            return self->opens == self->m_cancelledOpen ? 0 : 1;
        return ::DefWindowProcA(h, m, w, l);
    }
    int m_cancelledOpen;
};

TEST_F(TrackRangeJobTest, ACancelOnTheSecondOfThreeTracksRecordsNothingAndLeavesNoFile)
{
    NewDocumentOf(16, {2, 2, 2});
    std::vector<std::vector<uint8_t>> before;
    for (int t = 0; t < 3; ++t) {
        FillBytes(t, Ramp(16, 3 * 44100 + t, 2));
        before.push_back(TrackBytes(t));
    }
    CSelectionModel* sel = doc_->GetSelection();
    sel->SetTrackSelected(-1, TRUE);
    sel->SetSelection(0, 0, TRUE);
    const std::set<std::string> files = TempFiles();
    CancellingWindow progress(2);
    SetProgressWindow(progress.hwnd);
    CReverseJob job;
    const HRESULT hr = RunJob(job);
    SetProgressWindow(nullptr);
    EXPECT_EQ(static_cast<HRESULT>(0x83E80005), hr);
    EXPECT_EQ(2, progress.opens);
    EXPECT_EQ(0, Steps());
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(before[t], TrackBytes(t)) << t;
    EXPECT_EQ(files, TempFiles());
    EXPECT_TRUE(boxes_.empty()) << "the job itself shows nothing";
}

} // namespace
