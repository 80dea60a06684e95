#include "FilterConformance.h"
#include "GraphRunner.h"
#include "IAttributeSettings.h"
#include "ModuleObject.h"
#include "SampleConverter.h"
#include "TestFilters.h"
#include "WaveFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace kvtest;

namespace {

constexpr double kPi = 3.14159265358979323846;

template <class T>
std::vector<uint8_t> Bytes(const std::vector<T>& v)
{
    std::vector<uint8_t> b(v.size() * sizeof(T));
    std::memcpy(b.data(), v.data(), b.size());
    return b;
}

class AttributeFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(module.Loaded());
        filter = module.Create<IBaseFilter>(CLSID_KvSEAttr);
        ASSERT_NE(nullptr, filter);
        ASSERT_EQ(S_OK, filter->QueryInterface(__uuidof(IAttributeSettings), reinterpret_cast<void**>(&settings)));
    }
    void TearDown() override
    {
        if (settings)
            settings->Release();
        if (source)
            source->Release();
        if (sink)
            sink->Release();
        if (filter)
            filter->Release();
    }
    // source -> attribute filter -> renderer, run to the end.
    long Convert(const WAVEFORMATEX& wf, std::vector<uint8_t> data)
    {
        source = TestPcmSource::New(wf, std::move(data), 4000);
        sink = TestRenderer::New();
        if (graph.Add(source, L"source") != S_OK || graph.Add(filter, L"attr") != S_OK ||
            graph.Add(sink, L"sink") != S_OK || graph.Connect(source, filter) != S_OK ||
            graph.Connect(filter, sink) != S_OK)
            return -1;
        return graph.RunToEnd(30000);
    }

    ComScope com;
    ModuleObjects module{"KvSEAttr.dll"};
    TestGraph graph;
    IBaseFilter* filter = nullptr;
    IAttributeSettings* settings = nullptr;
    TestPcmSource* source = nullptr;
    TestRenderer* sink = nullptr;
};

} // namespace

TEST_F(AttributeFilterTest, PassesTheFilterConformanceSequence)
{
    settings->SetSamplesPerSec(48000);
    settings->SetBitsPerSample(24);
    TestPcmSource* up = TestPcmSource::New(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), MakeRamp16(30000, 2));
    TestRenderer* down = TestRenderer::New();
    ConformanceSetup setup{CLSID_KvSEAttr, 1, 1};
    setup.upstream = up;
    setup.downstream = down;
    CheckFilterConformance(filter, setup);
    up->Release();
    down->Release();
}

TEST_F(AttributeFilterTest, SameFormatPassesByteForByte)
{
    settings->SetSamplesPerSec(44100);
    settings->SetBitsPerSample(16);
    settings->SetChannels(2);
    std::vector<uint8_t> data = MakeRamp16(123457, 2);
    ASSERT_EQ(EC_COMPLETE, Convert(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), data));
    EXPECT_TRUE(sink->received == data);
}

// Only the depth changes: every sample comes out as the sample converter makes it, whatever
// the input's chunks and the output buffers.
TEST(AttributeFilterDepth, ConvertsEachSampleAsTheConverterDoesWhenOnlyTheDepthChanges)
{
    struct Case {
        SampleKind inKind;
        WORD inBits, outBits, channels;
    };
    const Case cases[] = {
        {SampleKind::Float, 32, 16, 2}, {SampleKind::Float, 32, 24, 1}, {SampleKind::Float, 32, 8, 6},
        {SampleKind::Pcm, 16, 24, 2},   {SampleKind::Pcm, 24, 16, 2},   {SampleKind::Pcm, 16, 32, 2},
        {SampleKind::Pcm, 8, 16, 1},
    };
    ComScope com;
    ModuleObjects module{"KvSEAttr.dll"};
    ASSERT_TRUE(module.Loaded());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inBits << " to " << c.outBits << " bits, " << c.channels << " channels");
        const size_t frames = 48000 + 77;
        const WAVEFORMATEX inFormat = MakeWaveFormat(c.inKind, 48000, c.inBits, c.channels);
        std::vector<uint8_t> in(frames * inFormat.nBlockAlign);
        uint32_t seed = 12345;
        for (uint8_t& b : in) {
            seed = seed * 1664525u + 1013904223u;
            b = uint8_t(seed >> 24);
        }
        if (c.inKind == SampleKind::Float) { // finite values past full scale as well
            auto* f = reinterpret_cast<float*>(in.data());
            for (size_t i = 0; i < frames * c.channels; ++i)
                f[i] = float(int32_t(i * 2654435761u) >> 8) / 6000000.0f;
        }

        IBaseFilter* filter = module.Create<IBaseFilter>(CLSID_KvSEAttr);
        ASSERT_NE(nullptr, filter);
        IAttributeSettings* settings = nullptr;
        ASSERT_EQ(S_OK, filter->QueryInterface(__uuidof(IAttributeSettings), reinterpret_cast<void**>(&settings)));
        settings->SetBitsPerSample(c.outBits);
        TestPcmSource* source = TestPcmSource::New(inFormat, in, 3001);
        TestRenderer* sink = TestRenderer::New();
        WAVEFORMATEX out{};
        {
            TestGraph graph;
            ASSERT_EQ(S_OK, graph.Add(source, L"source"));
            ASSERT_EQ(S_OK, graph.Add(filter, L"attr"));
            ASSERT_EQ(S_OK, graph.Add(sink, L"sink"));
            ASSERT_EQ(S_OK, graph.Connect(source, filter));
            ASSERT_EQ(S_OK, graph.Connect(filter, sink));
            ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(30000));
            out = sink->Format();
        }
        EXPECT_EQ(c.outBits, out.wBitsPerSample);
        EXPECT_EQ(c.channels, out.nChannels);
        WaveFormat from, to, mid;
        std::memcpy(static_cast<void*>(&from), &inFormat, sizeof inFormat);
        std::memcpy(static_cast<void*>(&to), &out, sizeof out);
        from.extensionSize = to.extensionSize = 0;
        mid.InitFloat32(48000, c.channels);
        std::vector<float> floats(frames * c.channels);
        SampleConverter toFloat, fromFloat;
        toFloat.SetSourceFormat(&from);
        toFloat.SetDestinationFormat(&mid);
        fromFloat.SetSourceFormat(&mid);
        fromFloat.SetDestinationFormat(&to);
        if (c.inKind == SampleKind::Float)
            std::memcpy(floats.data(), in.data(), in.size());
        else
            toFloat.Convert(in.data(), frames, floats.data());
        std::vector<uint8_t> want(frames * out.nBlockAlign);
        if (to.IsFloat())
            std::memcpy(want.data(), floats.data(), want.size());
        else
            fromFloat.Convert(floats.data(), frames, want.data());
        EXPECT_TRUE(sink->received == want);
        settings->Release();
        source->Release();
        sink->Release();
        filter->Release();
    }
}

TEST_F(AttributeFilterTest, ResamplesFloatToTheTargetRateWithinTheResamplerError)
{
    settings->SetSamplesPerSec(48000);
    settings->SetBitsPerSample(32);
    const size_t frames = 44100;
    std::vector<float> in(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        in[2 * i] = in[2 * i + 1] = float(0.5 * std::sin(2 * kPi * 997 * i / 44100));
    ASSERT_EQ(EC_COMPLETE, Convert(MakeWaveFormat(SampleKind::Float, 44100, 32, 2), Bytes(in)));
    WAVEFORMATEX wf = sink->Format();
    EXPECT_EQ(48000u, wf.nSamplesPerSec);
    EXPECT_EQ(WAVE_FORMAT_IEEE_FLOAT, wf.wFormatTag);
    ASSERT_EQ(48000u * 2 * 4, sink->received.size()) << "one second in, one second out";
    auto* out = reinterpret_cast<const float*>(sink->received.data());
    double worst = 0;
    for (size_t i = 4800; i < 43200; ++i)
        worst = std::max(worst, std::fabs(out[2 * i] - 0.5 * std::sin(2 * kPi * 997 * i / 48000)));
    EXPECT_LT(20 * std::log10(worst / 0.5), -100.0);
}

TEST_F(AttributeFilterTest, ConvertsSixteenBitsToTwentyFourAtAnotherRate)
{
    settings->SetSamplesPerSec(48000);
    settings->SetBitsPerSample(24);
    const size_t frames = 22050;
    std::vector<int16_t> in(frames);
    for (size_t i = 0; i < frames; ++i)
        in[i] = int16_t(std::lround(16000 * std::sin(2 * kPi * 440 * i / 44100)));
    ASSERT_EQ(EC_COMPLETE, Convert(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 1), Bytes(in)));
    WAVEFORMATEX wf = sink->Format();
    EXPECT_EQ(24, wf.wBitsPerSample);
    EXPECT_EQ(1, wf.nChannels);
    ASSERT_EQ(24000u * 3, sink->received.size());
    const uint8_t* p = sink->received.data();
    double worst = 0;
    for (size_t i = 2400; i < 21600; ++i) {
        int32_t v = int32_t(uint32_t(p[3 * i]) << 8 | uint32_t(p[3 * i + 1]) << 16 | uint32_t(p[3 * i + 2]) << 24) >> 8;
        double want = 16000.0 / 32768 * std::sin(2 * kPi * 440 * i / 48000);
        worst = std::max(worst, std::fabs(v / 8388607.0 - want));
    }
    EXPECT_LT(worst, 2.0 / 32768) << "no more than the 16-bit input's own rounding";
}

TEST_F(AttributeFilterTest, MixesChannelsUpAndDown)
{
    settings->SetChannels(1);
    std::vector<int16_t> stereo = {1000, 3000, -2000, -4000, 0, 100};
    ASSERT_EQ(EC_COMPLETE, Convert(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), Bytes(stereo)));
    ASSERT_EQ(6u, sink->received.size());
    auto* mono = reinterpret_cast<const int16_t*>(sink->received.data());
    EXPECT_NEAR(2000, mono[0], 1);
    EXPECT_NEAR(-3000, mono[1], 1);
    EXPECT_NEAR(50, mono[2], 1);
}

TEST_F(AttributeFilterTest, RefusesSettingsOutOfRangeAndChangesWhileConnected)
{
    struct Case {
        HRESULT (*set)(IAttributeSettings*);
        const char* what;
    } bad[] = {
        {[](IAttributeSettings* s) { return s->SetBitsPerSample(12); }, "12 bits"},
        {[](IAttributeSettings* s) { return s->SetSamplesPerSec(999); }, "999 Hz"},
        {[](IAttributeSettings* s) { return s->SetSamplesPerSec(1000000); }, "1 MHz"},
        {[](IAttributeSettings* s) { return s->SetChannels(9); }, "9 channels"},
        {[](IAttributeSettings* s) { return s->SetCalcPrecision(0); }, "precision 0"},
    };
    for (const Case& c : bad)
        EXPECT_EQ(E_INVALIDARG, c.set(settings)) << c.what;
    WORD bits = 1;
    settings->GetBitsPerSample(&bits);
    EXPECT_EQ(0, bits) << "a refused value changes nothing";

    settings->SetSamplesPerSec(48000);
    ASSERT_EQ(EC_COMPLETE, Convert(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), MakeRamp16(1000, 2)));
    graph.Stop();
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, settings->SetSamplesPerSec(32000));
    EXPECT_EQ(S_OK, settings->SetSamplesPerSec(48000)) << "the same value is no change";
    EXPECT_EQ(S_OK, settings->SetCalcPrecision(10)) << "precision does not touch the stream";
}

TEST_F(AttributeFilterTest, RefusesInputItCannotRead)
{
    source = TestPcmSource::New(MakeWaveFormat(SampleKind::Float, 44100, 64, 2), std::vector<uint8_t>(1600));
    ASSERT_EQ(S_OK, graph.Add(source, L"source"));
    ASSERT_EQ(S_OK, graph.Add(filter, L"attr"));
    EXPECT_TRUE(FAILED(graph.Connect(source, filter)));
}

TEST_F(AttributeFilterTest, OffersItsSampleTypePage)
{
    ISpecifyPropertyPages* specify = nullptr;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)));
    CAUUID pages{};
    ASSERT_EQ(S_OK, specify->GetPages(&pages));
    ASSERT_EQ(1u, pages.cElems);
    IPropertyPage* page = module.Create<IPropertyPage>(pages.pElems[0]);
    CoTaskMemFree(pages.pElems);
    specify->Release();
    ASSERT_NE(nullptr, page);
    PROPPAGEINFO info{};
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_STREQ(L"Sample Type", info.pszTitle);
    EXPECT_GT(info.size.cx, 0);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);

    // Edit the page as a user would and apply it.
    settings->SetSamplesPerSec(44100);
    settings->SetBitsPerSample(16);
    IUnknown* objects[] = {filter};
    ASSERT_EQ(S_OK, page->SetObjects(1, objects));
    RECT r{0, 0, 300, 150};
    ASSERT_EQ(S_OK, page->Activate(GetDesktopWindow(), &r, FALSE));
    EXPECT_EQ(S_FALSE, page->IsPageDirty()) << "filling the controls is no change";
    EXPECT_EQ(S_OK, page->Apply());
    page->Deactivate();
    page->SetObjects(0, nullptr);
    page->Release();
}

// A user who changes only the rate must not change the depth of the document behind it.
TEST_F(AttributeFilterTest, PageKeepsEveryDocumentDepthWhenOnlyTheRateChanges)
{
    constexpr int kRateControl = 1001;
    ISpecifyPropertyPages* specify = nullptr;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)));
    CAUUID pages{};
    ASSERT_EQ(S_OK, specify->GetPages(&pages));
    CLSID pageId = pages.pElems[0];
    CoTaskMemFree(pages.pElems);
    specify->Release();
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 150, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    for (WORD bits : {8, 16, 20, 24, 32}) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        ASSERT_EQ(S_OK, settings->SetSamplesPerSec(44100));
        ASSERT_EQ(S_OK, settings->SetBitsPerSample(bits));
        IPropertyPage* page = module.Create<IPropertyPage>(pageId);
        ASSERT_NE(nullptr, page);
        IUnknown* objects[] = {filter};
        ASSERT_EQ(S_OK, page->SetObjects(1, objects));
        RECT r{0, 0, 300, 150};
        ASSERT_EQ(S_OK, page->Activate(parent, &r, FALSE));
        HWND dlg = GetWindow(parent, GW_CHILD);
        ASSERT_NE(nullptr, dlg);
        SetDlgItemTextA(dlg, kRateControl, "48000");
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(kRateControl, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, kRateControl)));
        EXPECT_EQ(S_OK, page->IsPageDirty());
        EXPECT_EQ(S_OK, page->Apply());
        DWORD rate = 0;
        WORD applied = 0;
        settings->GetSamplesPerSec(&rate);
        settings->GetBitsPerSample(&applied);
        EXPECT_EQ(48000u, rate);
        EXPECT_EQ(bits, applied);
        page->Deactivate();
        page->SetObjects(0, nullptr);
        page->Release();
    }
    DestroyWindow(parent);
}

TEST(AttributeModule, CanUnloadOnceEveryObjectIsReleased)
{
    ComScope com;
    ModuleObjects module("KvSEAttr.dll");
    {
        TestGraph graph;
        IBaseFilter* filter = module.Create<IBaseFilter>(CLSID_KvSEAttr);
        ASSERT_NE(nullptr, filter);
        EXPECT_EQ(S_FALSE, module.CanUnloadNow());
        TestPcmSource* source = TestPcmSource::New(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), MakeRamp16(5000, 2));
        TestRenderer* sink = TestRenderer::New();
        graph.Add(source, L"source");
        graph.Add(filter, L"attr");
        graph.Add(sink, L"sink");
        graph.Connect(source, filter);
        graph.Connect(filter, sink);
        EXPECT_EQ(EC_COMPLETE, graph.RunToEnd(20000));
        source->Release();
        sink->Release();
        filter->Release();
    }
    EXPECT_EQ(S_OK, module.CanUnloadNow()) << "no pin, enumerator or filter is left alive";
}
