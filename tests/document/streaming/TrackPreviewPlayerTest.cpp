#include "AudioRenderer.h"
#include "EngineTracks.h"
#include "GraphRunner.h"
#include "TestFilters.h"
#include "TrackPreviewPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

using namespace kvtest;

namespace {

// A renderer that notes each start ('r') and stop ('s') of streaming; a start can be made slow.
struct NotingRenderer : TestRenderer {
    DWORD startDelayMs = 0;
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~NotingRenderer() override { CloseHandle(started); }

    std::string Log()
    {
        std::lock_guard<std::mutex> lock(m_logLock);
        return m_log;
    }
    // Waits until the log holds count entries (or 10 s).
    std::string WaitLog(size_t count)
    {
        for (int i = 0; i < 1000 && Log().size() < count; ++i)
            Sleep(10);
        return Log();
    }

protected:
    HRESULT OnStartStreaming() override
    {
        SetEvent(started);
        Sleep(startDelayMs);
        Note('r');
        return TestRenderer::OnStartStreaming();
    }
    void OnStopStreaming() override { Note('s'); }

private:
    void Note(char c)
    {
        std::lock_guard<std::mutex> lock(m_logLock);
        m_log += c;
    }
    std::mutex m_logLock;
    std::string m_log;
};

class PreviewPlayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.Ok());
        std::vector<int16_t> ramp(44100 * 2);
        for (size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = int16_t(i * 13);
        ASSERT_EQ(S_OK, engine.AddTrack(ramp, 2));
        engine.Selection()->SetAllTracks(1);
        renderer = TestRenderer::Create<NotingRenderer>();
        ASSERT_NE(nullptr, renderer);
    }
    void TearDown() override
    {
        if (renderer)
            renderer->Release();
    }
    IBaseFilter* Filter() const { return static_cast<IBaseFilter*>(renderer); }

    ComScope com;
    EngineTracks engine{16, 44100};
    NotingRenderer* renderer = nullptr;
};

double Since(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

TEST_F(PreviewPlayer, RequestsBeforeStartDoNothingAndRunThenStopAreCarriedOutInOrder)
{
    TrackPreviewPlayer player;
    player.RequestRun();
    ASSERT_EQ(S_OK, player.StartWithRenderer(engine.Set(), Filter()));
    Sleep(200);
    EXPECT_EQ("", renderer->Log()) << "the run asked before the start was never queued";
    player.RequestRun();
    player.RequestStop(); // most likely taken on the same wake as the run
    EXPECT_EQ("rs", renderer->WaitLog(2));
    player.RequestRun();
    EXPECT_EQ("rsr", renderer->WaitLog(3));
}

// The thread acts outside the queue's lock: while it sits in a slow run, posting returns at once.
TEST_F(PreviewPlayer, PostingNeverWaitsForTheGraph)
{
    renderer->startDelayMs = 800;
    TrackPreviewPlayer player;
    ASSERT_EQ(S_OK, player.StartWithRenderer(engine.Set(), Filter()));
    player.RequestRun();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(renderer->started, 10000));
    auto start = std::chrono::steady_clock::now();
    player.RequestStop();
    player.RequestRun();
    EXPECT_LT(Since(start), 0.2);
    EXPECT_EQ("rsr", renderer->WaitLog(3));
}

// Requests still queued when the player goes are dropped: the stop and run posted during a
// slow run never happen; the player stops the graph it leaves.
TEST_F(PreviewPlayer, DestroyingDropsQueuedRequestsAndStopsTheGraph)
{
    renderer->startDelayMs = 500;
    {
        TrackPreviewPlayer player;
        ASSERT_EQ(S_OK, player.StartWithRenderer(engine.Set(), Filter()));
        player.RequestRun();
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(renderer->started, 10000));
        player.RequestStop();
        player.RequestRun();
    }
    EXPECT_EQ("rs", renderer->Log());
}

// The headless machine has no playback device: Start gives the renderer's failure at once.
TEST_F(PreviewPlayer, StartWithoutAPlaybackDeviceFailsWithACodeAndNeverHangs)
{
    IBaseFilter* probe = nullptr;
    HRESULT created = CreateAudioRendererFilter(&probe);
    if (probe)
        probe->Release();
    HRESULT started = S_OK;
    auto begin = std::chrono::steady_clock::now();
    {
        TrackPreviewPlayer player;
        started = player.Start(engine.Set());
        player.RequestRun();
        player.RequestStop();
    }
    EXPECT_LT(Since(begin), 10.0);
    if (FAILED(created)) {
        EXPECT_EQ(created, started);
    } else {
        EXPECT_TRUE(SUCCEEDED(started)) << "a machine with a device plays";
    }
}
