#include <gtest/gtest.h>

#include "GraphicEqParams.h"
#include "IGraphicEq.h"

#include <vfwmsgs.h>

#include <cstring>
#include <vector>

using geq::GraphicEqParams;

namespace {

// A stream on global memory holding the given bytes, positioned at its start.
IStream* StreamOf(const void* data, size_t size)
{
    IStream* s = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &s)))
        return nullptr;
    ULONG written = 0;
    s->Write(data, ULONG(size), &written);
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    return s;
}

std::vector<unsigned char> SavedRecord(GraphicEqParams& p, bool clearDirty = true)
{
    IStream* s = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
    EXPECT_EQ(p.Save(s, clearDirty), S_OK);
    STATSTG st{};
    s->Stat(&st, STATFLAG_NONAME);
    std::vector<unsigned char> bytes(size_t(st.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    s->Read(bytes.data(), ULONG(bytes.size()), &read);
    s->Release();
    return bytes;
}

std::vector<int32_t> Block(const GraphicEqParams& p)
{
    std::vector<int32_t> b(geq::kParamCount);
    p.GetAll(b.data());
    return b;
}

class MessageWindow {
public:
    MessageWindow() : m_hwnd(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
    {
    }
    ~MessageWindow() { Destroy(); }
    void Destroy()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
    }
    HWND Handle() const { return m_hwnd; }
    // WM_COMMAND wParams posted to the window.
    std::vector<WPARAM> TakeCommands()
    {
        std::vector<WPARAM> got;
        MSG msg;
        while (m_hwnd && PeekMessageW(&msg, m_hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            got.push_back(msg.wParam);
        return got;
    }

private:
    HWND m_hwnd;
};

} // namespace

TEST(GraphicEqParams, ClampsGainsAndTheMode)
{
    struct Case {
        int index, value, stored;
    } cases[] = {{2, 1000, 200},
                 {2, 200, 200},
                 {0, -601, -600},
                 {9, 55, 55},
                 {geq::kMasterIndex, -1000, -600},
                 {geq::kMasterIndex, 201, 200},
                 {geq::kModeIndex, 5, 1},
                 {geq::kModeIndex, -3, 0},
                 {geq::kModeIndex, 1, 1}};
    for (const auto& c : cases) {
        GraphicEqParams p;
        p.Set(c.index, c.value);
        EXPECT_EQ(p.Get(c.index), c.stored) << c.index << " " << c.value;
    }
    GraphicEqParams p;
    const int32_t wild[geq::kParamCount] = {900, -900, 1, 2, 3, 4, 5, 6, 7, 8, 300, 7};
    p.SetAll(wild);
    EXPECT_EQ(Block(p), (std::vector<int32_t>{200, -600, 1, 2, 3, 4, 5, 6, 7, 8, 200, 1}));
}

TEST(GraphicEqParams, MarksChangesOnlyWhenAValueDiffersButSetAllAlways)
{
    GraphicEqParams p;
    EXPECT_TRUE(p.IsChanged()); // the streaming side takes the first settings
    EXPECT_FALSE(p.IsDirty());
    int32_t block[geq::kParamCount];
    p.FetchChanges(block);
    EXPECT_FALSE(p.IsChanged());

    p.Set(4, 0); // same value
    EXPECT_FALSE(p.IsChanged());
    EXPECT_FALSE(p.IsDirty());
    p.Set(4, 30);
    EXPECT_TRUE(p.IsChanged());
    EXPECT_TRUE(p.IsDirty());
    EXPECT_TRUE(p.FetchChanges(block));
    EXPECT_EQ(block[4], 30);
    EXPECT_FALSE(p.FetchChanges(block));

    const auto same = Block(p);
    SavedRecord(p); // clears dirty
    p.SetAll(same.data());
    EXPECT_TRUE(p.IsChanged());
    EXPECT_TRUE(p.IsDirty());
}

TEST(GraphicEqParams, PresetsSetTheWholeBlockAndRefuseUnknownIndexes)
{
    GraphicEqParams p;
    ASSERT_EQ(p.SelectPreset(1), S_OK); // Rock
    EXPECT_EQ(Block(p), (std::vector<int32_t>{40, 50, 30, -10, -30, -20, -10, 20, 60, 50, 0, 0}));
    p.Set(geq::kModeIndex, 1);
    ASSERT_EQ(p.SelectPreset(7), S_OK); // Low Cut, which also sets the mode back to IIR
    EXPECT_EQ(Block(p), (std::vector<int32_t>{-180, -120, -60, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(p.SelectPreset(12), E_INVALIDARG);
    EXPECT_EQ(p.SelectPreset(unsigned(-1)), E_INVALIDARG);
    EXPECT_EQ(Block(p)[0], -180);
    wchar_t name[16];
    EXPECT_EQ(GraphicEqParams::GetPresetName(nullptr, unsigned(-1), name, 16), E_INVALIDARG);
}

TEST(GraphicEqParams, RecordRoundTripsInSixtyEightBytes)
{
    GraphicEqParams p;
    const int32_t values[geq::kParamCount] = {1, -2, 3, -4, 5, -6, 7, -8, 9, -10, -600, 1};
    p.SetAll(values);
    const auto record = SavedRecord(p);
    ASSERT_EQ(record.size(), 68u);
    uint32_t size;
    std::memcpy(&size, record.data(), 4);
    EXPECT_EQ(size, 68u);
    EXPECT_EQ(std::memcmp(record.data() + 4, &__uuidof(IGraphicEq), 16), 0);
    EXPECT_EQ(std::memcmp(record.data() + 20, values, 48), 0);
    EXPECT_FALSE(p.IsDirty());
    SavedRecord(p, false);
    EXPECT_TRUE(p.IsDirty());

    GraphicEqParams q;
    IStream* s = StreamOf(record.data(), record.size());
    ASSERT_EQ(q.Load(s), S_OK);
    s->Release();
    EXPECT_EQ(Block(q), Block(p));
}

TEST(GraphicEqParams, LoadRefusesForeignRecordsAndClampsValues)
{
    GraphicEqParams source;
    source.SelectPreset(4);
    const auto good = SavedRecord(source);

    auto wrongSize = good;
    wrongSize[0] = 67;
    auto wrongId = good;
    wrongId[10] ^= 0x40;
    const std::vector<unsigned char> shortRecord(good.begin(), good.begin() + 30);
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    } cases[] = {{"size 67", wrongSize}, {"other identifier", wrongId}, {"cut short", shortRecord}};
    for (const auto& c : cases) {
        GraphicEqParams p;
        p.SelectPreset(1);
        IStream* s = StreamOf(c.bytes.data(), c.bytes.size());
        EXPECT_TRUE(FAILED(p.Load(s))) << c.what;
        s->Release();
        EXPECT_EQ(Block(p)[0], 40) << c.what;
    }

    auto loud = good;
    const int32_t gain = 900;
    std::memcpy(loud.data() + 20 + 4 * 3, &gain, 4);
    GraphicEqParams p;
    IStream* s = StreamOf(loud.data(), loud.size());
    ASSERT_EQ(p.Load(s), S_OK);
    s->Release();
    EXPECT_EQ(p.Get(3), 200);
}

TEST(GraphicEqParams, NotificationTableHoldsFourWindowsAndFreesDeadOnes)
{
    GraphicEqParams p;
    MessageWindow w[5];
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(p.SetNotifyWindow(w[i].Handle(), 100 + i), S_OK);
    EXPECT_EQ(p.SetNotifyWindow(w[4].Handle(), 200), E_OUTOFMEMORY);
    EXPECT_EQ(p.SetNotifyWindow(nullptr, 300), S_OK);             // unknown id, no window: nothing to do
    EXPECT_EQ(p.SetNotifyWindow(w[4].Handle(), 0), E_INVALIDARG); // 0 marks free entries
    EXPECT_EQ(p.SetNotifyWindow(w[1].Handle(), 101), S_OK);       // same id reuses its entry

    p.NotifyWindows(1);
    EXPECT_EQ(w[2].TakeCommands(), (std::vector<WPARAM>{(1u << 16) | 102u}));

    w[3].Destroy();
    p.NotifyWindows(0); // drops the dead window's entry
    EXPECT_EQ(p.SetNotifyWindow(w[4].Handle(), 200), S_OK);
    EXPECT_EQ(p.SetNotifyWindow(w[0].Handle(), 0 + 100), S_OK);
    EXPECT_EQ(p.SetNotifyWindow(nullptr, 101), S_OK); // frees an entry
    MessageWindow extra;
    EXPECT_EQ(p.SetNotifyWindow(extra.Handle(), 201), S_OK);

    // Load tells the registered windows with code 100.
    w[4].TakeCommands();
    GraphicEqParams source;
    const auto rec = SavedRecord(source);
    IStream* s = StreamOf(rec.data(), rec.size());
    ASSERT_EQ(p.Load(s), S_OK);
    s->Release();
    EXPECT_EQ(w[4].TakeCommands(), (std::vector<WPARAM>{(100u << 16) | 200u}));
}

TEST(GraphicEqParams, ConnectionFormatNeedsASetPinFormat)
{
    GraphicEqParams p;
    WAVEFORMATEXTENSIBLE out{};
    EXPECT_EQ(p.GetConnectionFormat(&out, 0), VFW_E_NOT_CONNECTED);
    geq::WaveFormat f{};
    f.formatTag = geq::kTagPcm;
    f.channels = 2;
    f.samplesPerSec = 48000;
    f.bitsPerSample = 16;
    f.blockAlign = 4;
    f.avgBytesPerSec = 192000;
    f.validBits = 0x5A5A;
    p.SetPinFormat(0, &f);
    EXPECT_EQ(p.GetConnectionFormat(&out, 1), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(p.GetConnectionFormat(&out, 2), VFW_E_NOT_CONNECTED);
    ASSERT_EQ(p.GetConnectionFormat(&out, 0), S_OK);
    EXPECT_EQ(out.Format.nSamplesPerSec, 48000u);
    EXPECT_EQ(out.Samples.wValidBitsPerSample, 0x5A5A); // 20 bytes copied
    EXPECT_EQ(out.dwChannelMask, 0u);
}

TEST(GraphicEqParams, StreamingSideTakesChangesAtTheNextChunk)
{
    GraphicEqParams p;
    geq::WaveFormat f{};
    f.formatTag = geq::kTagFloat;
    f.channels = 1;
    f.samplesPerSec = 44100;
    f.bitsPerSample = 32;
    f.blockAlign = 4;
    f.avgBytesPerSec = 176400;
    p.Set(geq::kMasterIndex, 60); // +6 dB before the run
    ASSERT_EQ(p.CreateEngine(&f, &f), S_OK);
    std::vector<float> in(100, 0.1f), out(p.MaxOutputFrames(100));
    size_t written = 0;
    EXPECT_EQ(p.Process(1, in.data(), 100, out.data(), &written), 0);
    EXPECT_EQ(written, 100u);
    EXPECT_NEAR(out[50], 0.1995f, 1e-3);
    p.Set(geq::kMasterIndex, -200);
    p.Process(1, in.data(), 100, out.data(), &written);
    EXPECT_NEAR(out[50], 0.01f, 1e-4);

    // FIR mode owes its delay; the drain (code 2) pays it.
    p.Set(geq::kMasterIndex, 0);
    p.Set(geq::kModeIndex, 1);
    EXPECT_EQ(p.Process(0, in.data(), 100, out.data(), &written), 0);
    EXPECT_EQ(written, 0u);
    out.resize(p.MaxOutputFrames(0));
    EXPECT_EQ(p.Process(2, nullptr, 0, out.data(), &written), 1);
    EXPECT_EQ(written, 100u);
    EXPECT_NEAR(out[50], 0.1f, 1e-4);
}
