#include "ChannelSplitter.h"
#include "ComObject.h"
#include "EngineTracks.h"
#include "KvSSException.h"
#include "ProgressReporter.h"
#include "TempFilePaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

using namespace kvtest;

namespace {

constexpr HRESULT kCancelled = static_cast<HRESULT>(0x83E80005);

// A data item that gives bytes as the engine's reader does (whole reads until the end), and
// fails its read number failAt when set.
class ScriptedItem : public ComObject<IMtItem> {
public:
    explicit ScriptedItem(std::vector<uint8_t> data, int failAt = -1) : m_data(std::move(data)), m_failAt(failAt) {}
    STDMETHODIMP BeginRead() override { return S_OK; }
    STDMETHODIMP Read(void* buffer, DWORD bytes, DWORD* read) override
    {
        if (++reads == m_failAt)
            return E_ACCESSDENIED;
        size_t n = std::min<size_t>(bytes, m_data.size() - m_at);
        std::memcpy(buffer, m_data.data() + m_at, n);
        m_at += n;
        *read = DWORD(n);
        return S_OK;
    }
    STDMETHODIMP EndRead() override { return S_OK; }
    STDMETHODIMP GetSize(LONGLONG* bytes) override
    {
        *bytes = LONGLONG(m_data.size());
        return S_OK;
    }
    STDMETHODIMP SetRange(const LONGLONG*, const LONGLONG*) override { return S_OK; }
    STDMETHODIMP GetInfo(MtFileItemRecord*) override { return E_NOTIMPL; }
    int reads = 0;

private:
    std::vector<uint8_t> m_data;
    size_t m_at = 0;
    int m_failAt;
};

class ScriptedPeaks : public ComObject<IMtPeakReader> {
public:
    explicit ScriptedPeaks(std::vector<MtPeakItem> items) : m_items(std::move(items)) {}
    STDMETHODIMP Seek(LONGLONG) override { return S_OK; }
    STDMETHODIMP Read(MtPeakItem* buffer, DWORD count, DWORD* read) override
    {
        size_t n = std::min<size_t>(count, m_items.size() - m_at);
        std::memcpy(buffer, m_items.data() + m_at, n * sizeof(MtPeakItem));
        m_at += n;
        *read = DWORD(n);
        return S_OK;
    }
    STDMETHODIMP End() override { return S_OK; }

private:
    std::vector<MtPeakItem> m_items;
    size_t m_at = 0;
};

// Interleaved samples of width bytes whose bytes name their frame, channel and byte.
std::vector<uint8_t> Interleaved(size_t frames, WORD channels, UINT width)
{
    std::vector<uint8_t> data(frames * channels * width);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7 + i / 251);
    return data;
}

std::vector<uint8_t> ChannelOf(const std::vector<uint8_t>& data, WORD channels, UINT width, WORD c)
{
    std::vector<uint8_t> out;
    for (size_t at = c * width; at + width <= data.size(); at += size_t(channels) * width)
        out.insert(out.end(), data.begin() + at, data.begin() + at + width);
    return out;
}

// A progress window on its own thread: records every position it is sent and answers the
// updates after cancelAfter of them with "cancelled".
class ProgressWindow {
public:
    explicit ProgressWindow(int cancelAfter = 1 << 30) : m_cancelAfter(cancelAfter)
    {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "SplitterProgressWindow";
            RegisterClassA(&wc);
            m_window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
            SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            SetEvent(ready);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0)
                DispatchMessageA(&msg);
        });
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
        SetProgressWindow(m_window);
    }
    ~ProgressWindow()
    {
        SetProgressWindow(nullptr);
        PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    std::vector<UINT> positions;
    std::string caption;
    int closes = 0;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && (message == ProgressOpenMessage() || message == ProgressUpdateMessage())) {
            const auto* record = reinterpret_cast<const ProgressReporter*>(wParam);
            self->positions.push_back(record->position);
            self->caption = record->caption;
            return message == ProgressUpdateMessage() && ++self->m_updates > self->m_cancelAfter ? 0 : 1;
        }
        if (self && message == ProgressCloseMessage()) {
            ++self->closes;
            return 0;
        }
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    int m_cancelAfter;
    int m_updates = 0;
    HWND m_window = nullptr;
    std::thread m_thread;
};

// Files in the program's temporary folder.
size_t TempFileCount()
{
    TempFilePaths paths;
    size_t n = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((std::string(paths.GetFolder()) + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        n += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (FindNextFileA(find, &data));
    FindClose(find);
    return n;
}

} // namespace

// Every depth deals out by what the engine's reader gives: 1 byte for 8 bits, 2 for 16, a
// 4-byte float for 20, 24 and 32. Lengths short of, across and on a block boundary (rate 100).
TEST(ChannelSplitter, SplitsEachChannelIntoItsOwnFileByTheStorageWidth)
{
    struct Case {
        WORD bits, channels;
        size_t frames;
        UINT width; // bytes per sample the engine's reader gives
        int reads;  // one second per read, ending after a short (or empty) read
    };
    const Case cases[] = {
        {16, 2, 2, 2, 1},   {8, 1, 250, 1, 3},  {16, 2, 300, 2, 4}, {20, 2, 150, 4, 2},
        {24, 2, 199, 4, 2}, {24, 6, 100, 4, 2}, {32, 6, 1, 4, 1},   {16, 1, 0, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels, " << c.frames << " frames");
        const UINT width = c.width;
        std::vector<uint8_t> data = Interleaved(c.frames, c.channels, width);
        ScriptedItem* item = ComObject<IMtItem>::Create<ScriptedItem>(data);
        CChannelSplitter split;
        ASSERT_EQ(S_OK, split.SplitWithProgress(item, c.bits, 100, c.channels, LONGLONG(c.frames)));
        EXPECT_EQ(c.reads, item->reads);
        item->Release();
        for (WORD ch = 0; ch < c.channels; ++ch) {
            std::string name = split.GetChannelFileName(ch);
            ASSERT_FALSE(name.empty());
            EXPECT_EQ(ChannelOf(data, c.channels, width, ch), ReadFileBytes(name)) << "channel " << ch;
        }
        if (c.channels < CChannelSplitter::kMaxChannels) {
            EXPECT_STREQ("", split.GetChannelFileName(c.channels)) << "records past the channels stay unused";
        }
        split.DeleteChannelFiles();
        for (WORD ch = 0; ch < c.channels; ++ch)
            EXPECT_STREQ("", split.GetChannelFileName(ch));
    }
}

// The interleaved copy keeps 8, 16 and 32-bit storage as it is and packs the floats of 20-
// and 24-bit storage into 3-byte integers.
TEST(ChannelSplitter, CopiesInterleavedPackingTwentyAndTwentyFourBitsIntoThreeBytes)
{
    const int32_t values[] = {0, 1, -1, 0x7FFFFF, -0x800000, 0x123456, -0x654321, 4096};
    for (WORD bits : {20, 24}) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        std::vector<float> floats;
        std::vector<uint8_t> expected;
        for (int rep = 0; rep < 40; ++rep)
            for (int32_t v : values) {
                int32_t s = bits == 20 ? v & ~0xF : v;
                floats.push_back(float(s) / 8388608.0f);
                expected.insert(expected.end(), {uint8_t(s), uint8_t(s >> 8), uint8_t(s >> 16)});
            }
        std::vector<uint8_t> bytes(floats.size() * 4);
        std::memcpy(bytes.data(), floats.data(), bytes.size());
        ScriptedItem* item = ComObject<IMtItem>::Create<ScriptedItem>(bytes);
        CChannelSplitter split;
        ASSERT_EQ(S_OK, split.CopyInterleavedWithProgress(item, bits, 100, 2, LONGLONG(floats.size() / 2)));
        item->Release();
        EXPECT_EQ(expected, ReadFileBytes(split.GetChannelFileName(0)));
        split.DeleteChannelFiles();
    }
    for (WORD bits : {8, 16, 32}) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        std::vector<uint8_t> data = Interleaved(333, 6, bits / 8);
        ScriptedItem* item = ComObject<IMtItem>::Create<ScriptedItem>(data);
        CChannelSplitter split;
        ASSERT_EQ(S_OK, split.CopyInterleavedWithProgress(item, bits, 100, 6, 333));
        item->Release();
        EXPECT_EQ(data, ReadFileBytes(split.GetChannelFileName(0)));
        split.DeleteChannelFiles();
    }
}

TEST(ChannelSplitter, DealsPeakItemsOutByChannelAndCopiesThemWhole)
{
    for (WORD channels : {1, 2, 6}) {
        SCOPED_TRACE(testing::Message() << channels << " channels");
        std::vector<MtPeakItem> items;
        for (LONG k = 0; k < LONG(channels) * 2500; ++k)
            items.push_back({-k, k});
        CChannelSplitter split;
        ScriptedPeaks* peaks = ComObject<IMtPeakReader>::Create<ScriptedPeaks>(items);
        split.SplitBlocks(peaks, channels);
        peaks->Release();
        for (WORD c = 0; c < channels; ++c) {
            std::vector<uint8_t> file = ReadFileBytes(split.GetPeakFileName(c));
            ASSERT_EQ(2500u * sizeof(MtPeakItem), file.size());
            const auto* got = reinterpret_cast<const MtPeakItem*>(file.data());
            for (LONG k = 0; k < 2500; ++k)
                ASSERT_EQ(k * channels + c, got[k].maximum) << "item " << k << " of file " << c;
        }
        split.DeletePeakFiles();

        peaks = ComObject<IMtPeakReader>::Create<ScriptedPeaks>(items);
        split.CopyBlocks(peaks, channels);
        peaks->Release();
        std::vector<uint8_t> file = ReadFileBytes(split.GetPeakFileName(0));
        ASSERT_EQ(items.size() * sizeof(MtPeakItem), file.size());
        EXPECT_EQ(0, std::memcmp(file.data(), items.data(), file.size()));
        split.DeletePeakFiles();
    }
}

// A 24-bit stereo track of the real engine: its reader gives floats, and each channel file
// holds that channel's floats in order, the copy its 3-byte integers.
TEST(ChannelSplitter, SplitsATwentyFourBitEngineTrackSampleExact)
{
    EngineTracks engine(24, 48000);
    ASSERT_TRUE(engine.Ok());
    const size_t frames = 48000 * 2 + 777;
    std::vector<float> samples(frames * 2);
    std::vector<uint8_t> packed;
    for (size_t i = 0; i < samples.size(); ++i) {
        int32_t s = int32_t(std::lround(std::sin(double(i) * 0.001) * 8388000.0)) ^ int32_t(i & 0xFF);
        samples[i] = float(s) / 8388608.0f;
        packed.insert(packed.end(), {uint8_t(s), uint8_t(s >> 8), uint8_t(s >> 16)});
    }
    ASSERT_EQ(S_OK, engine.AddTrack(samples, 2));
    IMtTrack* track = engine.Track(0);
    ASSERT_NE(nullptr, track);
    for (int interleaved = 0; interleaved < 2; ++interleaved) {
        IMtItem* reader = nullptr;
        ASSERT_EQ(S_OK, track->CreateReader(&reader, 0));
        ASSERT_EQ(S_OK, reader->BeginRead());
        CChannelSplitter split;
        HRESULT hr = interleaved ? split.CopyInterleavedWithProgress(reader, 24, 48000, 2, LONGLONG(frames))
                                 : split.SplitWithProgress(reader, 24, 48000, 2, LONGLONG(frames));
        reader->EndRead();
        reader->Release();
        ASSERT_EQ(S_OK, hr);
        if (interleaved) {
            EXPECT_EQ(packed, ReadFileBytes(split.GetChannelFileName(0)));
        } else {
            for (WORD c = 0; c < 2; ++c) {
                std::vector<uint8_t> file = ReadFileBytes(split.GetChannelFileName(c));
                ASSERT_EQ(frames * 4, file.size());
                const auto* got = reinterpret_cast<const float*>(file.data());
                size_t wrong = 0;
                for (size_t f = 0; f < frames; ++f)
                    wrong += got[f] != samples[f * 2 + c];
                EXPECT_EQ(0u, wrong) << "channel " << c;
            }
        }
        split.DeleteChannelFiles();
    }
    track->Release();
}

// Progress runs from 0 to 100 in proportion to the frames, also for a length of 0 (straight
// to the end) or a length the stream overruns (never past the end).
TEST(ChannelSplitter, ReportsProgressFromZeroToOneHundredWhateverTheLength)
{
    struct Case {
        size_t frames;
        LONGLONG length;
        std::vector<UINT> positions;
    };
    const Case cases[] = {
        {400, 400, {0, 0, 25, 50, 75, 100, 100, 100}},
        {0, 0, {0, 0, 0, 100}},
        {300, 0, {0, 0, 0, 0, 0, 0, 100}},
        {300, 200, {0, 0, 50, 100, 100, 100, 100}},
        {100, 300, {0, 0, 33, 33, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frames << " frames, length " << c.length);
        ProgressWindow window;
        ScriptedItem* item = ComObject<IMtItem>::Create<ScriptedItem>(Interleaved(c.frames, 1, 2));
        CChannelSplitter split;
        EXPECT_EQ(S_OK, split.SplitWithProgress(item, 16, 100, 1, c.length));
        item->Release();
        EXPECT_EQ(c.positions, window.positions);
        EXPECT_EQ(1, window.closes);
        EXPECT_EQ("Refreshing wave form peaks...", window.caption);
        split.DeleteChannelFiles();
    }
}

// A cancel, a failed read or a channel count no track has: the code comes back and no file of
// the set is left, whatever was written before.
TEST(ChannelSplitter, FailureOrCancelReturnsItsCodeAndLeavesNoFile)
{
    struct Case {
        const char* what;
        int cancelAfter, failAt;
        WORD channels;
        HRESULT expected;
        int closes; // the progress closes once when it opened
    };
    const Case cases[] = {
        {"cancel after two blocks", 2, -1, 2, kCancelled, 1},
        {"read fails at the third block", 1 << 30, 3, 2, E_ACCESSDENIED, 1},
        {"seven channels", 1 << 30, -1, 7, E_INVALIDARG, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int interleaved = 0; interleaved < 2; ++interleaved) {
            ProgressWindow window(c.cancelAfter);
            size_t before = TempFileCount();
            ScriptedItem* item = ComObject<IMtItem>::Create<ScriptedItem>(Interleaved(1000, 2, 2), c.failAt);
            CChannelSplitter split;
            HRESULT hr = interleaved ? split.CopyInterleavedWithProgress(item, 16, 100, c.channels, 1000)
                                     : split.SplitWithProgress(item, 16, 100, c.channels, 1000);
            item->Release();
            EXPECT_EQ(c.expected, hr);
            EXPECT_EQ(before, TempFileCount());
            for (WORD ch = 0; ch < CChannelSplitter::kMaxChannels; ++ch)
                EXPECT_STREQ("", split.GetChannelFileName(ch));
            EXPECT_EQ(c.closes, window.closes);
        }
    }
}

TEST(ChannelSplitter, PeakReadFailureIsThrownAndLeavesTheFilesToTheCaller)
{
    class FailingPeaks : public ComObject<IMtPeakReader> {
        STDMETHODIMP Seek(LONGLONG) override { return S_OK; }
        STDMETHODIMP Read(MtPeakItem*, DWORD, DWORD*) override { return E_ACCESSDENIED; }
        STDMETHODIMP End() override { return S_OK; }
    };
    IMtPeakReader* peaks = ComObject<IMtPeakReader>::Create<FailingPeaks>();
    CChannelSplitter split;
    HRESULT hr = S_OK;
    try {
        split.SplitBlocks(peaks, 2);
    } catch (const CKvSSException& e) {
        hr = e.m_hr;
    }
    peaks->Release();
    EXPECT_EQ(E_ACCESSDENIED, hr);
    std::string first = split.GetPeakFileName(0), second = split.GetPeakFileName(1);
    EXPECT_TRUE(FileExists(first) && FileExists(second));
    split.DeletePeakFiles();
    EXPECT_FALSE(FileExists(first) || FileExists(second));
}
