// The render modules in graphs of the platform's filter graph manager, on engine data.
#include "ComRef.h"
#include "EngineFixture.h"
#include "FilterConformance.h"
#include "GraphRunner.h"
#include "IAttributeSettings.h"
#include "IKsDShowSource.h"
#include "ITracksReaderSetup.h"
#include "ITracksWriterOutput.h"
#include "ModuleObject.h"
#include "TestFilters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace kvtest;

namespace {

constexpr double kPi = 3.14159265358979323846;

class RenderGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.Ok()) << "the engine module loads";
        source = ComRef<IBaseFilter>(srcModule.Create<IBaseFilter>(CLSID_KsDShowSrc));
        attr = ComRef<IBaseFilter>(attrModule.Create<IBaseFilter>(CLSID_KvSEAttr));
        writer = ComRef<IBaseFilter>(wtModule.Create<IBaseFilter>(CLSID_KsTrksWt));
        ASSERT_TRUE(source && attr && writer);
        ASSERT_EQ(S_OK, source->QueryInterface(__uuidof(IKsDShowSource), srcApi.OutVoid()));
        ASSERT_EQ(S_OK, writer->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid()));
    }
    void TearDown() override
    {
        // The files of a complete run belong to the caller: here, to the test.
        if (output) {
            DeleteFileA(DataName().c_str());
            DeleteFileA(PeakName().c_str());
        }
    }
    std::string DataName()
    {
        char name[MAX_PATH] = {};
        output->GetDataFileName(name);
        return name;
    }
    std::string PeakName()
    {
        char name[MAX_PATH] = {};
        output->GetPeakFileName(name);
        return name;
    }
    // source -> attribute -> writer.
    void BuildChain()
    {
        ASSERT_EQ(S_OK, graph.Add(source.Get(), L"source"));
        ASSERT_EQ(S_OK, graph.Add(attr.Get(), L"attr"));
        ASSERT_EQ(S_OK, graph.Add(writer.Get(), L"writer"));
        ASSERT_EQ(S_OK, graph.Connect(source.Get(), attr.Get()));
        ASSERT_EQ(S_OK, graph.Connect(attr.Get(), writer.Get()));
    }

    ComScope com;
    EngineFixture engine;
    ModuleObjects srcModule{"KsDShowSrc.dll"}, attrModule{"KvSEAttr.dll"}, wtModule{"KsTrksWt.dll"},
        rdModule{"KsTrksRd.dll"};
    TestGraph graph;
    ComRef<IBaseFilter> source, attr, writer;
    ComRef<IKsDShowSource> srcApi;
    ComRef<ITracksWriterOutput> output;
};

} // namespace

TEST_F(RenderGraph, SourceAttributeWriterInTheSameFormatIsSampleExact)
{
    std::vector<int16_t> samples = Sine16(1000, 44100, 50001, 2);
    ASSERT_EQ(S_OK, engine.AddTrack16(samples, 2));
    engine.Selection()->SelectTrack(0, 1);
    ASSERT_EQ(S_OK, srcApi->AttachEngine(engine.Set(), 0, 0));
    ASSERT_EQ(S_OK, srcApi->SetOutputSampleFormat(1));
    EXPECT_EQ(1, srcApi->GetOutputSampleFormat());
    BuildChain();
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(30000));
    graph.Stop();

    std::vector<uint8_t> written = ReadFileBytes(DataName());
    ASSERT_EQ(samples.size() * 2, written.size());
    EXPECT_EQ(0, std::memcmp(written.data(), samples.data(), written.size()));
    EXPECT_TRUE(FileExists(PeakName()));
    WAVEFORMATEX wf{};
    ASSERT_EQ(S_OK, output->GetWaveFormat(&wf));
    EXPECT_EQ(44100u, wf.nSamplesPerSec);
    EXPECT_EQ(16, wf.wBitsPerSample);
    EXPECT_EQ(2, wf.nChannels);
    LONGLONG frames = 0;
    output->GetWrittenLength(&frames);
    EXPECT_EQ(50001, frames);

    IMediaSeeking* seeking = nullptr;
    ASSERT_EQ(S_OK, writer->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)));
    LONGLONG duration = 0, position = 0;
    EXPECT_EQ(S_OK, seeking->GetDuration(&duration));
    EXPECT_EQ(S_OK, seeking->GetCurrentPosition(&position));
    EXPECT_EQ(50001LL * 10000000 / 44100, duration) << "the writer learns the length from the source";
    EXPECT_EQ(duration, position);
    seeking->Release();
    DeleteFileA(DataName().c_str());
    DeleteFileA(PeakName().c_str());
}

TEST_F(RenderGraph, SourceStreamsOnlyTheRangeOfTheMarkedTrack)
{
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(300, 44100, 20000, 1), 1));
    std::vector<int16_t> second = Sine16(700, 44100, 30000, 1);
    ASSERT_EQ(S_OK, engine.AddTrack16(second, 1, 5000)); // starts at 5000 on the time line
    engine.Selection()->SelectTrack(1, 1);
    engine.Selection()->SetRange(10000, 20000);
    srcApi->AttachEngine(engine.Set(), 0, 0);
    srcApi->SetOutputSampleFormat(1);
    BuildChain();
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(30000));
    graph.Stop();
    std::vector<uint8_t> written = ReadFileBytes(DataName());
    ASSERT_EQ(10000u * 2, written.size());
    EXPECT_EQ(0, std::memcmp(written.data(), &second[5000], written.size()))
        << "time line 10000..20000 is the track's frames 5000..15000";
}

TEST_F(RenderGraph, FloatOutputCarriesSixteenBitSamplesExactly)
{
    std::vector<int16_t> samples = Sine16(2000, 44100, 30000, 1);
    ASSERT_EQ(S_OK, engine.AddTrack16(samples, 1));
    engine.Selection()->SelectTrack(0, 1);
    srcApi->AttachEngine(engine.Set(), 0, 0);
    ASSERT_EQ(S_OK, srcApi->SetOutputSampleFormat(3));
    EXPECT_EQ(3, srcApi->GetOutputSampleFormat());
    BuildChain();
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(30000));
    graph.Stop();
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, srcApi->SetOutputSampleFormat(1)) << "not while connected";
    WAVEFORMATEX wf{};
    output->GetWaveFormat(&wf);
    EXPECT_EQ(WAVE_FORMAT_IEEE_FLOAT, wf.wFormatTag);
    std::vector<uint8_t> written = ReadFileBytes(DataName());
    ASSERT_EQ(samples.size() * 4, written.size());
    auto* f = reinterpret_cast<const float*>(written.data());
    size_t wrong = 0;
    for (size_t i = 0; i < samples.size(); ++i)
        wrong += f[i] != samples[i] / 32768.0f;
    EXPECT_EQ(0u, wrong);
}

TEST_F(RenderGraph, ResamplesToAnotherRateAndDepthWithinTheResamplerError)
{
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 44100, 1), 1));
    engine.Selection()->SelectTrack(0, 1);
    srcApi->AttachEngine(engine.Set(), 0, 0);
    srcApi->SetOutputSampleFormat(1);
    IAttributeSettings* settings = nullptr;
    ASSERT_EQ(S_OK, attr->QueryInterface(__uuidof(IAttributeSettings), reinterpret_cast<void**>(&settings)));
    settings->SetSamplesPerSec(48000);
    settings->SetBitsPerSample(24);
    settings->Release();
    BuildChain();
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(30000));
    graph.Stop();
    WAVEFORMATEX wf{};
    output->GetWaveFormat(&wf);
    EXPECT_EQ(48000u, wf.nSamplesPerSec);
    EXPECT_EQ(24, wf.wBitsPerSample);
    // 24-bit data is kept as float in the engine's storage layout.
    std::vector<uint8_t> written = ReadFileBytes(DataName());
    ASSERT_EQ(48000u * 4, written.size());
    auto* f = reinterpret_cast<const float*>(written.data());
    double worst = 0;
    for (size_t i = 4800; i < 43200; ++i)
        worst = std::max(worst, std::fabs(f[i] - 0.5 * 32767 / 32768 * std::sin(2 * kPi * 440 * i / 48000)));
    EXPECT_LT(worst, 2.0 / 32768) << "within the 16-bit source's own rounding";
}

TEST_F(RenderGraph, TracksReaderToWriterWritesTheEnginesMix)
{
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(300, 44100, 30000, 1), 1));
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(500, 44100, 20000, 2, 0.25), 2, 3000));
    IMtTrack* first = nullptr;
    engine.Set()->GetTrack(0, &first);
    first->SetVolume(0.5f);
    first->Release();
    engine.Selection()->SetAllTracks(1);
    ComRef<IBaseFilter> reader(rdModule.Create<IBaseFilter>(CLSID_KsTrksRd));
    ASSERT_NE(nullptr, reader.Get());
    ComRef<ITracksReaderSetup> setup;
    ASSERT_EQ(S_OK, reader->QueryInterface(__uuidof(ITracksReaderSetup), setup.OutVoid()));
    setup->SetTrackSet(engine.Set());
    setup->SetOutputChannels(2);
    setup->SetReadAutomation(1);
    for (LONG v : {1, 0, 1})
        setup->SetSwitch7(v);
    ASSERT_EQ(S_OK, graph.Add(reader.Get(), L"reader"));
    ASSERT_EQ(S_OK, graph.Add(writer.Get(), L"writer"));
    ASSERT_EQ(S_OK, graph.Connect(reader.Get(), writer.Get()));
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(30000));
    graph.Stop();

    std::vector<float> mix = engine.EngineMix(2);
    std::vector<uint8_t> written = ReadFileBytes(DataName());
    ASSERT_EQ(mix.size() * 4, written.size());
    EXPECT_EQ(30000u * 2, mix.size());
    EXPECT_EQ(0, std::memcmp(written.data(), mix.data(), written.size()));
}

// What the reader renders replaces a track at its start offset (one-track mixdown), the
// selection or the track's span (edited fades), or starts a new document at 0.
TEST_F(RenderGraph, TracksReaderRendersTheStretchItsSwitchesChoose)
{
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(300, 44100, 12000, 1), 1, 4000));
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(500, 44100, 6000, 2, 0.25), 2, 9000));
    engine.Selection()->SetAllTracks(1);
    struct Case {
        LONG switch7, switch8;
        LONGLONG selStart, selEnd; // selection; equal ends: none
        LONGLONG start, end;       // expected stretch of the time line
    };
    const Case cases[] = {
        {0, 0, 0, 0, 4000, 16000},      {0, 0, 2000, 7000, 4000, 16000}, {1, 0, 0, 0, 4000, 16000},
        {1, 0, 2000, 7000, 2000, 7000}, {1, 1, 0, 0, 0, 16000},          {1, 1, 2000, 7000, 0, 16000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "switch 7 = " << c.switch7 << ", 8 = " << c.switch8 << ", selection "
                                        << c.selStart << ".." << c.selEnd);
        engine.Selection()->SetRange(c.selStart, c.selEnd);
        TestGraph g;
        ComRef<IBaseFilter> reader, sink;
        reader = ComRef<IBaseFilter>(rdModule.Create<IBaseFilter>(CLSID_KsTrksRd));
        sink = ComRef<IBaseFilter>(wtModule.Create<IBaseFilter>(CLSID_KsTrksWt));
        ASSERT_TRUE(reader && sink);
        ComRef<ITracksReaderSetup> setup;
        ComRef<ITracksWriterOutput> out;
        ASSERT_EQ(S_OK, reader->QueryInterface(__uuidof(ITracksReaderSetup), setup.OutVoid()));
        ASSERT_EQ(S_OK, sink->QueryInterface(__uuidof(ITracksWriterOutput), out.OutVoid()));
        setup->SetTrackSet(engine.Set());
        setup->SetOutputChannels(2);
        setup->SetSwitch7(c.switch7);
        setup->SetSwitch8(c.switch8);
        setup->SetSwitch9(c.switch8);
        ASSERT_EQ(S_OK, g.Add(reader.Get(), nullptr));
        ASSERT_EQ(S_OK, g.Add(sink.Get(), nullptr));
        ASSERT_EQ(S_OK, g.Connect(reader.Get(), sink.Get()));
        ASSERT_EQ(EC_COMPLETE, g.RunToEnd(30000));
        g.Stop();
        char name[MAX_PATH] = {};
        out->GetDataFileName(name);
        std::vector<uint8_t> written = ReadFileBytes(name);
        std::vector<float> mix = engine.EngineMix(2, c.start, c.end);
        ASSERT_EQ(size_t(c.end - c.start) * 2, mix.size());
        ASSERT_EQ(mix.size() * 4, written.size());
        EXPECT_EQ(0, std::memcmp(written.data(), mix.data(), written.size()));
        char peak[MAX_PATH] = {};
        out->GetPeakFileName(peak);
        DeleteFileA(name);
        DeleteFileA(peak);
    }
    engine.Selection()->SetRange(0, 0);
}

// The effect chain puts the converter before the writer with the document's depth as target.
TEST_F(RenderGraph, WriterTakesEveryDepthTheConverterIsSetTo)
{
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 5000, 2), 2));
    engine.Selection()->SelectTrack(0, 1);
    for (WORD bits : {8, 16, 20, 24, 32}) {
        SCOPED_TRACE(testing::Message() << bits << " bits");
        TestGraph g;
        ComRef<IBaseFilter> src, conv, sink;
        src = ComRef<IBaseFilter>(srcModule.Create<IBaseFilter>(CLSID_KsDShowSrc));
        conv = ComRef<IBaseFilter>(attrModule.Create<IBaseFilter>(CLSID_KvSEAttr));
        sink = ComRef<IBaseFilter>(wtModule.Create<IBaseFilter>(CLSID_KsTrksWt));
        ASSERT_TRUE(src && conv && sink);
        ComRef<IKsDShowSource> api;
        ComRef<IAttributeSettings> settings;
        ComRef<ITracksWriterOutput> out;
        src->QueryInterface(__uuidof(IKsDShowSource), api.OutVoid());
        conv->QueryInterface(__uuidof(IAttributeSettings), settings.OutVoid());
        sink->QueryInterface(__uuidof(ITracksWriterOutput), out.OutVoid());
        api->AttachEngine(engine.Set(), 0, 0);
        api->SetOutputSampleFormat(3);
        ASSERT_EQ(S_OK, g.Add(src.Get(), nullptr));
        ASSERT_EQ(S_OK, g.Add(conv.Get(), nullptr));
        ASSERT_EQ(S_OK, g.Add(sink.Get(), nullptr));
        ASSERT_EQ(S_OK, g.Connect(src.Get(), conv.Get()));
        ASSERT_EQ(S_OK, settings->SetBitsPerSample(bits));
        ASSERT_EQ(S_OK, settings->SetChannels(2));
        ASSERT_EQ(S_OK, settings->SetSamplesPerSec(44100));
        ASSERT_EQ(S_OK, g.Connect(conv.Get(), sink.Get()));
        ASSERT_EQ(EC_COMPLETE, g.RunToEnd(30000));
        g.Stop();
        WAVEFORMATEX wf{};
        ASSERT_EQ(S_OK, out->GetWaveFormat(&wf));
        LONGLONG frames = 0;
        out->GetWrittenLength(&frames);
        EXPECT_EQ(5000, frames);
        char name[MAX_PATH] = {}, peak[MAX_PATH] = {};
        out->GetDataFileName(name);
        out->GetPeakFileName(peak);
        size_t storageBytes = bits <= 16 ? bits / 8 : 4;
        EXPECT_EQ(5000u * 2 * storageBytes, ReadFileBytes(name).size());
        EXPECT_EQ(bits, wf.wBitsPerSample);
        DeleteFileA(name);
        DeleteFileA(peak);
    }
}

// Small samples gather into large writes and large ones are written as they come: the data
// and the peaks are the same bytes whatever the pieces (a quarter megabyte is 65,536 frames).
TEST_F(RenderGraph, WriterStoresTheSameBytesAndPeaksWhateverTheSampleSizes)
{
    const std::vector<uint8_t> data = MakeRamp16(200003, 2);
    std::vector<uint8_t> firstPeaks;
    for (size_t chunk : {1000, 50000, 65536, 70000, 200003}) {
        SCOPED_TRACE(testing::Message() << chunk << " frames a sample");
        TestGraph g;
        ComRef<TestPcmSource> src(TestPcmSource::New(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), data, chunk));
        ComRef<IBaseFilter> sink(wtModule.Create<IBaseFilter>(CLSID_KsTrksWt));
        ComRef<ITracksWriterOutput> out;
        ASSERT_TRUE(sink);
        sink->QueryInterface(__uuidof(ITracksWriterOutput), out.OutVoid());
        ASSERT_EQ(S_OK, g.Add(src.Get(), nullptr));
        ASSERT_EQ(S_OK, g.Add(sink.Get(), nullptr));
        ASSERT_EQ(S_OK, g.Connect(src.Get(), sink.Get()));
        ASSERT_EQ(EC_COMPLETE, g.RunToEnd(30000));
        g.Stop();
        char name[MAX_PATH] = {}, peak[MAX_PATH] = {};
        out->GetDataFileName(name);
        out->GetPeakFileName(peak);
        EXPECT_TRUE(ReadFileBytes(name) == data);
        const std::vector<uint8_t> peaks = ReadFileBytes(peak);
        EXPECT_FALSE(peaks.empty());
        if (firstPeaks.empty())
            firstPeaks = peaks;
        EXPECT_TRUE(peaks == firstPeaks);
        DeleteFileA(name);
        DeleteFileA(peak);
    }
}

TEST_F(RenderGraph, StoppedRunLeavesNoFiles)
{
    // A source slowed to at least 17 s a run, so that the stop always comes before its end.
    const size_t frames = 44100 * 20;
    ComRef<TestPcmSource> slow(TestPcmSource::New(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), MakeRamp16(frames, 2)));
    slow->delayPerBufferMs = 20;
    IAttributeSettings* settings = nullptr;
    attr->QueryInterface(__uuidof(IAttributeSettings), reinterpret_cast<void**>(&settings));
    settings->SetSamplesPerSec(96000);
    settings->Release();
    ASSERT_EQ(S_OK, graph.Add(slow.Get(), L"source"));
    ASSERT_EQ(S_OK, graph.Add(attr.Get(), L"attr"));
    ASSERT_EQ(S_OK, graph.Add(writer.Get(), L"writer"));
    ASSERT_EQ(S_OK, graph.Connect(slow.Get(), attr.Get()));
    ASSERT_EQ(S_OK, graph.Connect(attr.Get(), writer.Get()));
    std::vector<std::string> before = TempFiles();
    ASSERT_EQ(S_OK, graph.Control()->Run());
    // Stopped once the writer has its files and has written some of the stream.
    LONGLONG written = 0;
    for (DWORD until = GetTickCount() + 10000; GetTickCount() < until; Sleep(1)) {
        output->GetWrittenLength(&written);
        if (written > 0 && TempFiles().size() > before.size())
            break;
    }
    EXPECT_GT(written, 0) << "the writer is writing";
    EXPECT_GT(TempFiles().size(), before.size()) << "the writer's files are there";
    ASSERT_EQ(S_OK, graph.Stop());
    EXPECT_EQ(before, TempFiles()) << "both files are gone after the stop";
    output->GetWrittenLength(&written);
    EXPECT_LT(written, LONGLONG(frames) * 96000 / 44100) << "stopped before the end";
    EXPECT_EQ("", DataName());
    EXPECT_EQ("", PeakName());
}

TEST_F(RenderGraph, RenderModulesPassTheFilterConformanceSequence)
{
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 20000, 2), 2));
    engine.Selection()->SelectTrack(0, 1);
    srcApi->AttachEngine(engine.Set(), 0, 0);
    {
        TestRenderer* sink = TestRenderer::New();
        ConformanceSetup setup{CLSID_KsDShowSrc, 0, 1};
        setup.downstream = sink;
        CheckFilterConformance(source.Get(), setup);
        sink->Release();
    }
    {
        TestPcmSource* up = TestPcmSource::New(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), MakeRamp16(10000, 2));
        ConformanceSetup setup{CLSID_KsTrksWt, 1, 0};
        setup.upstream = up;
        CheckFilterConformance(writer.Get(), setup);
        up->Release();
    }
    {
        ComRef<IBaseFilter> reader(rdModule.Create<IBaseFilter>(CLSID_KsTrksRd));
        ComRef<ITracksReaderSetup> setup;
        reader->QueryInterface(__uuidof(ITracksReaderSetup), setup.OutVoid());
        setup->SetTrackSet(engine.Set());
        TestRenderer* sink = TestRenderer::New();
        ConformanceSetup conformance{CLSID_KsTrksRd, 0, 1};
        conformance.downstream = sink;
        CheckFilterConformance(reader.Get(), conformance);
        sink->Release();
    }
    DeleteFileA(DataName().c_str());
    DeleteFileA(PeakName().c_str());
}

TEST_F(RenderGraph, SourceRefusesBadSampleFormatsAndHasNothingToOfferWithoutEngine)
{
    EXPECT_EQ(E_INVALIDARG, srcApi->SetOutputSampleFormat(2));
    IUnknown* none = nullptr;
    EXPECT_EQ(E_UNEXPECTED, srcApi->GetEngine(&none));
    ASSERT_EQ(S_OK, graph.Add(source.Get(), L"source"));
    ASSERT_EQ(S_OK, graph.Add(attr.Get(), L"attr"));
    EXPECT_TRUE(FAILED(graph.Connect(source.Get(), attr.Get())));
    srcApi->AttachEngine(engine.Set(), 0, 0);
    ASSERT_EQ(S_OK, srcApi->GetEngine(&none));
    EXPECT_EQ(static_cast<IUnknown*>(engine.Set()), none);
    none->Release();
}

// An empty selection: an in-place result (mix 0) replaces the track's own span; a mix (1)
// starts a new time line at 0.
TEST_F(RenderGraph, SourceWithoutSelectionStreamsTheTrackSpanOrTheWholeMix)
{
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 5000, 2), 2, 2000));
    engine.Selection()->SelectTrack(0, 1);
    ComRef<IMediaSeeking> seeking;
    ASSERT_EQ(S_OK, source->QueryInterface(IID_IMediaSeeking, seeking.OutVoid()));
    struct Case {
        LONG mix;
        LONGLONG selStart, selEnd;
        LONGLONG frames;
    };
    const Case cases[] = {{0, 3000, 4000, 1000}, {0, 0, 0, 5000}, {1, 3000, 4000, 1000}, {1, 0, 0, 7000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mix " << c.mix << ", selection " << c.selStart << ".." << c.selEnd);
        ASSERT_EQ(S_OK, srcApi->AttachEngine(engine.Set(), c.mix, 0));
        engine.Selection()->SetRange(c.selStart, c.selEnd);
        LONGLONG duration = 0;
        ASSERT_EQ(S_OK, seeking->GetDuration(&duration));
        EXPECT_EQ(c.frames * 10000000 / 44100, duration);
    }
    engine.Selection()->SetRange(0, 0);
}

// The platform's renderers ask upstream for the stop position right after they send
// EC_COMPLETE, on the streaming thread; the converter, mixdown and effect runs stop their
// graph as soon as EC_COMPLETE arrives. KV_STOP_REPEATS sets the repeats for long runs.
TEST_F(RenderGraph, EngineGraphsStoppedRightAfterCompletionNeverHang)
{
    ASSERT_EQ(S_OK, engine.AddTrack16(Sine16(440, 44100, 2000, 2), 2));
    engine.Selection()->SetAllTracks(1);
    const CLSID nullRendererClass = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
    const int repeats = RepeatsFromEnvironment("KV_STOP_REPEATS", 150);
    for (bool reader : {false, true}) {
        const char* shape = reader ? "tracks reader -> renderer" : "source -> attribute -> renderer";
        SCOPED_TRACE(shape);
        ComRef<IBaseFilter> head, sink;
        ASSERT_EQ(S_OK,
                  CoCreateInstance(nullRendererClass, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, sink.OutVoid()));
        TestGraph g;
        ASSERT_EQ(S_OK, g.RunWithoutClock());
        if (reader) {
            head = ComRef<IBaseFilter>(rdModule.Create<IBaseFilter>(CLSID_KsTrksRd));
            ASSERT_NE(nullptr, head.Get());
            ComRef<ITracksReaderSetup> setup;
            ASSERT_EQ(S_OK, head->QueryInterface(__uuidof(ITracksReaderSetup), setup.OutVoid()));
            setup->SetTrackSet(engine.Set());
            setup->SetOutputChannels(2);
            ASSERT_EQ(S_OK, g.Add(head.Get(), L"reader"));
            ASSERT_EQ(S_OK, g.Add(sink.Get(), L"null"));
            ASSERT_EQ(S_OK, g.Connect(head.Get(), sink.Get()));
        } else {
            ASSERT_EQ(S_OK, srcApi->AttachEngine(engine.Set(), 0, 0));
            ASSERT_EQ(S_OK, g.Add(source.Get(), L"source"));
            ASSERT_EQ(S_OK, g.Add(attr.Get(), L"attr"));
            ASSERT_EQ(S_OK, g.Add(sink.Get(), L"null"));
            ASSERT_EQ(S_OK, g.Connect(source.Get(), attr.Get()));
            ASSERT_EQ(S_OK, g.Connect(attr.Get(), sink.Get()));
        }
        StopRepeats done = RunToEndAndStop(g, shape, repeats);
        EXPECT_EQ(repeats, done.stopped);
        EXPECT_GE(done.completed, repeats - repeats / 20) << "a lost completion is rare";
    }
}
