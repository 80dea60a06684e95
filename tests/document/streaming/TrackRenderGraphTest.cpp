#include "EngineTracks.h"
#include "GraphRunner.h"
#include "TrackRenderGraph.h"
#include "UnusableTempFolder.h"

#include <gtest/gtest.h>

#include <evcode.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace kvtest;

namespace {

std::vector<int16_t> Sine16(double freq, size_t frames, WORD channels, double amp)
{
    std::vector<int16_t> s(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (WORD c = 0; c < channels; ++c)
            s[i * channels + c] = int16_t(std::lround(32767 * amp * std::sin(0.01 * freq * double(i) + c)));
    return s;
}

} // namespace

// Two tracks, one under a level envelope and a volume, the other offset: the rendered file is
// the engine's own mix over the tracks' span.
TEST(TrackRenderGraph, RendersTheMarkedTracksWithTheirEnvelopesAsTheEnginesMix)
{
    ComScope com;
    EngineTracks engine(16, 44100);
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack(Sine16(3, 30000, 1, 0.5), 1, 1000));
    ASSERT_EQ(S_OK, engine.AddTrack(Sine16(5, 20000, 2, 0.25), 2, 6000));
    IMtTrack* first = engine.Track(0);
    ASSERT_NE(nullptr, first);
    IMtEnvelopeSet* envelopes = nullptr;
    IMtEnvelope* level = nullptr;
    ASSERT_EQ(S_OK, first->QueryInterface(__uuidof(IMtEnvelopeSet), reinterpret_cast<void**>(&envelopes)));
    ASSERT_EQ(S_OK, envelopes->GetEnvelope(kMtEnvLevel, &level));
    level->InsertPoint(0, 0.0f);
    level->InsertPoint(12000, 1.0f);
    level->InsertPoint(29000, 0.2f);
    first->SetVolume(0.8f);
    level->Release();
    envelopes->Release();
    first->Release();
    engine.Selection()->SetAllTracks(1);

    TrackRenderGraph render;
    EXPECT_EQ(0, render.ProgressPercent()) << "no duration yet";
    ASSERT_EQ(S_OK, render.Build(engine.Set()));
    ASSERT_TRUE(SUCCEEDED(render.Run()));
    // 0 is a progress turn; events other than the three endings pass like one.
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    for (int turn = 0; turn < 100 && (code = render.WaitEvent(&p1, &p2)) != EC_COMPLETE && code != EC_USERABORT &&
                       code != EC_ERRORABORT;
         ++turn)
        EXPECT_LE(render.ProgressPercent(), 100);
    ASSERT_EQ(EC_COMPLETE, code);
    render.control->StopWhenReady();
    EXPECT_EQ(100, render.ProgressPercent());

    IMtItemList* items = engine.NewItemList();
    ASSERT_NE(nullptr, items);
    ASSERT_EQ(S_OK, render.TakeOutput(items, 7));
    IUnknown* object = nullptr;
    LONG id = 0;
    items->ResetItems(0);
    ASSERT_EQ(S_OK, items->NextItem(&object, &id));
    EXPECT_EQ(7, id);
    IMtItem* item = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(__uuidof(IMtItem), reinterpret_cast<void**>(&item)));
    MtFileItemRecord record{};
    ASSERT_EQ(S_OK, item->GetInfo(&record));
    EXPECT_EQ(44100u, record.samplesPerSec);
    EXPECT_EQ(2, record.channels);
    EXPECT_EQ(32, record.bitsPerSample) << "the reader delivers float";

    std::vector<float> mix = engine.Mix(2, 1000, 31000);
    ASSERT_EQ(30000u * 2, mix.size());
    std::vector<uint8_t> written = ReadFileBytes(record.path);
    ASSERT_EQ(mix.size() * 4, written.size());
    // The engine ramps an envelope's gain from the start of each block it mixes, so blocks of
    // another size round the ramp differently in the last place.
    const float* rendered = reinterpret_cast<const float*>(written.data());
    float worst = 0.0f;
    for (size_t i = 0; i < mix.size(); ++i)
        worst = std::max(worst, std::fabs(rendered[i] - mix[i]));
    EXPECT_LE(worst, 1e-6f);
    EXPECT_GT(*std::max_element(mix.begin(), mix.end()), 0.3f) << "the mix is not silence";
    item->Release();
    object->Release();
    items->Release();
}

// A graph stopped behind the render's back sends no ending: the wait reports it as an abort,
// and a graph never built reports nothing.
TEST(TrackRenderGraph, WaitReportsAGraphThatStoppedWithoutAnEventAsAnAbort)
{
    ComScope com;
    EngineTracks engine(16, 44100);
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack(Sine16(3, 1000, 1, 0.5), 1));
    engine.Selection()->SetAllTracks(1);
    TrackRenderGraph idle;
    LONG_PTR p1 = 1, p2 = 1;
    EXPECT_EQ(0, idle.WaitEvent(&p1, &p2));
    EXPECT_EQ(0, p1);

    TrackRenderGraph render;
    ASSERT_EQ(S_OK, render.Build(engine.Set()));
    ASSERT_TRUE(SUCCEEDED(render.Run()));
    render.control->Stop();
    long code = 0;
    for (int turn = 0; turn < 20 && code != EC_USERABORT; ++turn)
        code = render.WaitEvent(&p1, &p2);
    EXPECT_EQ(EC_USERABORT, code);
}

TEST(TrackRenderGraph, BuildAndRunFailWithACodeAndTakeOutputIgnoresANullList)
{
    ComScope com;
    TrackRenderGraph render;
    EXPECT_EQ(E_POINTER, render.Build(nullptr));
    TrackRenderGraph unbuilt;
    EXPECT_EQ(E_UNEXPECTED, unbuilt.Run());
    EXPECT_EQ(S_OK, unbuilt.TakeOutput(nullptr, 1));
}

// A writer whose folder cannot hold files refuses to start: the run fails with its reason and
// leaves no filter of the graph streaming; with the folder back, the next render runs whole.
TEST(TrackRenderGraph, ARunThatCannotStartLeavesEveryFilterStopped)
{
    ComScope com;
    EngineTracks engine(16, 44100);
    ASSERT_TRUE(engine.Ok());
    ASSERT_EQ(S_OK, engine.AddTrack(Sine16(3, 20000, 1, 0.5), 1));
    engine.Selection()->SetAllTracks(1);
    TrackRenderGraph render;
    HRESULT hr = S_OK;
    {
        UnusableTempFolder unusable;
        ASSERT_TRUE(unusable.Ok());
        ASSERT_EQ(S_OK, render.Build(engine.Set()));
        hr = render.Run();
    }
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DIRECTORY), hr);
    for (IBaseFilter* filter : {render.reader, render.writer}) {
        FILTER_STATE state = State_Running;
        EXPECT_EQ(S_OK, filter->GetState(100, &state));
        EXPECT_EQ(State_Stopped, state);
    }
    ASSERT_EQ(S_OK, render.Build(engine.Set()));
    ASSERT_TRUE(SUCCEEDED(render.Run()));
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    for (int turn = 0; turn < 100 && (code = render.WaitEvent(&p1, &p2)) != EC_COMPLETE && code != EC_USERABORT &&
                       code != EC_ERRORABORT;
         ++turn) {}
    EXPECT_EQ(EC_COMPLETE, code);
}
