#include "GraphRunner.h"
#include "TestFilters.h"

#include <gtest/gtest.h>

#include <uuids.h>

#include <cstring>

using namespace kvtest;

namespace {

// source -> gain -> renderer in a graph of the platform's filter graph manager.
class GainGraph : public ::testing::Test {
protected:
    void Build(size_t frames, int gain, size_t chunkFrames = 1024)
    {
        data = MakeRamp16(frames, 2);
        source = TestPcmSource::New(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), data, chunkFrames);
        this->gain = TestGain::New(gain);
        sink = TestRenderer::New();
        ASSERT_TRUE(graph.Ok());
        ASSERT_EQ(S_OK, graph.Add(source, L"source"));
        ASSERT_EQ(S_OK, graph.Add(this->gain, L"gain"));
        ASSERT_EQ(S_OK, graph.Add(sink, L"sink"));
        ASSERT_EQ(S_OK, graph.Connect(source, this->gain));
        ASSERT_EQ(S_OK, graph.Connect(this->gain, sink));
    }
    void TearDown() override
    {
        for (IUnknown* f : {static_cast<IUnknown*>(static_cast<IBaseFilter*>(source)),
                            static_cast<IUnknown*>(static_cast<IBaseFilter*>(gain)),
                            static_cast<IUnknown*>(static_cast<IBaseFilter*>(sink))})
            if (f)
                f->Release();
    }
    std::vector<uint8_t> Expected(int g) const
    {
        std::vector<uint8_t> out(data.size());
        auto* s = reinterpret_cast<const int16_t*>(data.data());
        auto* d = reinterpret_cast<int16_t*>(out.data());
        for (size_t i = 0; i < data.size() / 2; ++i)
            d[i] = static_cast<int16_t>(std::max(-32768, std::min(32767, s[i] * g)));
        return out;
    }

    ComScope com;
    TestGraph graph;
    std::vector<uint8_t> data;
    TestPcmSource* source = nullptr;
    TestGain* gain = nullptr;
    TestRenderer* sink = nullptr;
};

} // namespace

TEST_F(GainGraph, RunsToCompletionWithEveryByteTransformed)
{
    Build(100003, 3); // not a whole number of buffers
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(20000));
    EXPECT_TRUE(sink->received == Expected(3));
    EXPECT_EQ(1, sink->eosCount.load());
    EXPECT_EQ(1, gain->eosCount.load());
    EXPECT_EQ(1, gain->startCount.load());
    LONGLONG pos = 0, duration = 0;
    EXPECT_EQ(S_OK, sink->GetCurrentPosition(&pos));
    EXPECT_EQ(S_OK, sink->GetDuration(&duration)) << "the renderer forwards the duration upstream";
    EXPECT_EQ(duration, pos);
    EXPECT_EQ(100003LL * 10000000 / 44100, duration);
    EXPECT_EQ(S_OK, graph.Stop());
    EXPECT_EQ(1, gain->stopCount.load());
}

TEST_F(GainGraph, StopsMidwayAndRunsAgainFromTheStart)
{
    Build(441000, 1, 441);
    source->delayPerBufferMs = 5; // about two seconds of buffers
    ASSERT_EQ(S_OK, graph.Control()->Run());
    // Stopped once samples flow, however late a busy machine starts the stream.
    ASSERT_TRUE(sink->WaitForSamples(10, 20000));
    ASSERT_EQ(S_OK, graph.Stop());
    int delivered = source->buffersDelivered;
    size_t got = sink->received.size();
    EXPECT_GT(got, 0u);
    EXPECT_LT(got, data.size()) << "stopped before the end";
    Sleep(100);
    EXPECT_EQ(delivered, source->buffersDelivered.load()) << "the streaming thread is gone after Stop";
    EXPECT_EQ(0, sink->eosCount.load());
    FILTER_STATE state;
    EXPECT_EQ(S_OK, source->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);

    source->delayPerBufferMs = 0;
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(20000));
    EXPECT_TRUE(sink->received == Expected(1)) << "a new run starts from the beginning";
}

// One streaming thread serves every run of a source: a thread made per run cost tens of
// milliseconds before the first sample. A stop that may come before the thread has begun the
// run leaves nothing behind for the next one.
TEST_F(GainGraph, OneStreamingThreadServesEveryRunWholeThoughStopsComeAtOnce)
{
    Build(20000, 2, 3000);
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(20000));
        EXPECT_TRUE(sink->received == Expected(2));
        ASSERT_EQ(S_OK, graph.Stop());
        // Paused and stopped at once: the run asked for may not have begun.
        ASSERT_EQ(S_OK, graph.Control()->Pause());
        ASSERT_EQ(S_OK, graph.Stop());
    }
    EXPECT_EQ(1, source->threadChanges.load());
    EXPECT_NE(GetCurrentThreadId(), source->streamThread.load());
}

TEST_F(GainGraph, ReconnectsAfterDisconnectAndStreamsAgain)
{
    Build(30000, 2);
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(20000));
    ASSERT_EQ(S_OK, graph.Stop());
    ASSERT_EQ(S_OK, graph.Disconnect(source));
    ASSERT_EQ(S_OK, graph.Disconnect(gain));
    IPin* out = FirstPin(gain, PINDIR_OUTPUT);
    IPin* peer = nullptr;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, out->ConnectedTo(&peer));
    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(S_OK, out->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* mt = nullptr;
    EXPECT_EQ(S_FALSE, types->Next(1, &mt, nullptr)) << "no output type without an input";
    types->Release();
    out->Release();

    ASSERT_EQ(S_OK, graph.Connect(source, gain));
    ASSERT_EQ(S_OK, graph.Connect(gain, sink));
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(20000));
    EXPECT_TRUE(sink->received == Expected(2));
}

TEST_F(GainGraph, RefusesConnectionsWhileRunningAndTypesItCannotTake)
{
    Build(441000, 1, 441);
    source->delayPerBufferMs = 5;
    ASSERT_EQ(S_OK, graph.Control()->Run());
    IPin* out = FirstPin(gain, PINDIR_OUTPUT);
    EXPECT_EQ(VFW_E_NOT_STOPPED, out->Disconnect());
    out->Release();
    ASSERT_EQ(S_OK, graph.Stop());

    // A float stream is not for a 16-bit gain.
    TestPcmSource* floatSource =
        TestPcmSource::New(MakeWaveFormat(SampleKind::Float, 44100, 32, 2), std::vector<uint8_t>(800));
    TestGain* other = TestGain::New(1);
    ASSERT_EQ(S_OK, graph.Add(floatSource, L"float"));
    ASSERT_EQ(S_OK, graph.Add(other, L"other"));
    EXPECT_TRUE(FAILED(graph.Connect(floatSource, other)));
    IPin* in = FirstPin(other, PINDIR_INPUT);
    IPin* peer = nullptr;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, in->ConnectedTo(&peer));
    in->Release();
    floatSource->Release();
    other->Release();
}

// The graph stops its filters downstream first; a transform caught between a stopped
// renderer and a running source is being stopped, and must not report that as an error.
TEST_F(GainGraph, TransformWhoseDownstreamStoppedFirstReportsNoError)
{
    Build(44100 * 10, 2, 256);
    source->delayPerBufferMs = 1; // still streaming when the renderer stops
    IMediaEvent* events = nullptr;
    ASSERT_EQ(S_OK, graph.Graph()->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)));
    ASSERT_EQ(S_OK, graph.Control()->Run());
    ASSERT_TRUE(sink->WaitForSamples(1, 20000));
    ASSERT_EQ(S_OK, static_cast<IBaseFilter*>(sink)->Stop());
    Sleep(100); // the gain now gets refusals from the stopped renderer
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    bool errorAbort = false;
    while (events->GetEvent(&code, &p1, &p2, 50) == S_OK) {
        errorAbort |= code == EC_ERRORABORT;
        events->FreeEventParams(code, p1, p2);
    }
    EXPECT_FALSE(errorAbort);
    EXPECT_EQ(S_OK, graph.Stop());
    events->Release();
}

TEST_F(GainGraph, ReferencesComeBackAfterARun)
{
    Build(1000, 1);
    ULONG before = RefCount(static_cast<IBaseFilter*>(gain));
    ASSERT_EQ(EC_COMPLETE, graph.RunToEnd(20000));
    graph.Stop();
    EXPECT_EQ(before, RefCount(static_cast<IBaseFilter*>(gain)));
}

TEST(PlatformFilters, OurSourceFeedsThePlatformNullRendererToCompletion)
{
    ComScope com;
    // {C1F400A4-3F08-11D3-9F0B-006008039E37}
    const CLSID nullRendererClass = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
    IBaseFilter* nullRenderer = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(nullRendererClass, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(&nullRenderer)));
    TestPcmSource* source =
        TestPcmSource::New(MakeWaveFormat(SampleKind::Float, 48000, 32, 2),
                           std::vector<uint8_t>(12000 * 8)); // a quarter second: the platform renders in real time
    {
        TestGraph graph;
        ASSERT_EQ(S_OK, graph.Add(source, L"source"));
        ASSERT_EQ(S_OK, graph.Add(nullRenderer, L"null"));
        ASSERT_EQ(S_OK, graph.Connect(source, nullRenderer)) << "their pin takes our allocator and type";
        EXPECT_EQ(EC_COMPLETE, graph.RunToEnd(20000));
        EXPECT_EQ(12, source->buffersDelivered.load()) << "12000 frames in buffers of 1024";
    }
    EXPECT_EQ(1u, RefCount(static_cast<IBaseFilter*>(source)));
    source->Release();
    nullRenderer->Release();
}

// The platform's renderers send EC_COMPLETE and then, still on the streaming thread, ask
// upstream for the stop position. A graph stopped as soon as EC_COMPLETE arrives must not
// wait for that thread while holding what the question needs. KV_STOP_REPEATS sets the
// repeats for long runs.
TEST(PlatformFilters, GraphStoppedRightAfterCompletionNeverHangs)
{
    ComScope com;
    const CLSID nullRendererClass = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
    const int repeats = RepeatsFromEnvironment("KV_STOP_REPEATS", 150);
    for (bool throughTransform : {false, true}) {
        const char* shape = throughTransform ? "source -> gain -> renderer" : "source -> renderer";
        SCOPED_TRACE(shape);
        IBaseFilter* nullRenderer = nullptr;
        ASSERT_EQ(S_OK, CoCreateInstance(nullRendererClass, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         reinterpret_cast<void**>(&nullRenderer)));
        TestPcmSource* source = TestPcmSource::New(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), MakeRamp16(300, 2));
        source->delayBeforeDurationMs = 2; // the stop usually reaches the source first
        TestGain* gain = TestGain::New(1);
        {
            TestGraph graph;
            ASSERT_EQ(S_OK, graph.RunWithoutClock());
            ASSERT_EQ(S_OK, graph.Add(source, L"source"));
            ASSERT_EQ(S_OK, graph.Add(nullRenderer, L"null"));
            if (throughTransform) {
                ASSERT_EQ(S_OK, graph.Add(gain, L"gain"));
                ASSERT_EQ(S_OK, graph.Connect(source, gain));
                ASSERT_EQ(S_OK, graph.Connect(gain, nullRenderer));
            } else {
                ASSERT_EQ(S_OK, graph.Connect(source, nullRenderer));
            }
            StopRepeats done = RunToEndAndStop(graph, shape, repeats);
            EXPECT_EQ(repeats, done.stopped);
            EXPECT_GE(done.completed, repeats - repeats / 20) << "a lost completion is rare";
        }
        if (throughTransform) {
            EXPECT_EQ(repeats, gain->stopCount.load()) << "every stop reached the transform";
        }
        source->Release();
        gain->Release();
        nullRenderer->Release();
    }
}
