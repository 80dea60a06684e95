// TrackPreviewPlayer: plays the marked tracks of an engine track set, with their fades and
// envelopes, through the configured audio renderer while the user edits. The graph is run
// and stopped on the player's own thread; the user-interface thread only queues requests.
//
//   TrackPreviewPlayer player;
//   if (SUCCEEDED(player.Start(trackSet))) player.RequestRun();
//   ... player.RequestStop(); ...
//   // destruction ends the thread (never destroy a player from its own thread)
#pragma once
#include <windows.h>
#include <strmif.h>

#include "ComRef.h"
#include "Lock.h"

#include <deque>

class TrackPreviewPlayer {
public:
    enum Request : LONG { kRun = 0, kStop = 1, kEnd = 2 };

    TrackPreviewPlayer();
    // Ends the thread without carrying out requests still queued, stops and frees the graph.
    ~TrackPreviewPlayer();
    TrackPreviewPlayer(const TrackPreviewPlayer&) = delete;
    TrackPreviewPlayer& operator=(const TrackPreviewPlayer&) = delete;

    // Builds the graph (tracks reader -> the configured audio renderer) and starts the
    // thread; the failing code of any step (no playback device: the renderer's creation).
    HRESULT Start(IUnknown* trackSet);
    // The same with a renderer the caller made (one reference taken).
    HRESULT StartWithRenderer(IUnknown* trackSet, IBaseFilter* renderer);
    // Queue a run or a stop; nothing before Start. Never waits for the graph.
    void RequestRun() { Post(kRun); }
    void RequestStop() { Post(kStop); }

private:
    void Post(LONG code);
    static DWORD WINAPI ThreadProc(void* self);
    void ThreadLoop();
    void Act(LONG code);

    CritSec m_lock;
    ComRef<IGraphBuilder> m_graph;
    std::deque<LONG> m_queue;
    LONG m_count = 0;
    HANDLE m_wake = nullptr;
    HANDLE m_thread = nullptr;
};
