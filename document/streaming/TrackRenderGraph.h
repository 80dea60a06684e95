// TrackRenderGraph: renders the tracks an engine track set holds as marked, with their
// fades and envelopes, into a new track data file and peak file (tracks reader -> tracks
// writer in the platform's filter graph). Lives for one render; releases what it holds.
//
//   TrackRenderGraph render;
//   hr = render.Build(trackSet);  hr = render.Run();
//   while ((code = render.WaitEvent(&p1, &p2)) == 0) { ...progress from the writer's position... }
//   if (code == 1) render.TakeOutput(itemList, trackId);
#pragma once
#include <windows.h>
#include <control.h>
#include <strmif.h>

struct IMtItemList;

struct TrackRenderGraph {
    TrackRenderGraph() = default;
    ~TrackRenderGraph();
    TrackRenderGraph(const TrackRenderGraph&) = delete;
    TrackRenderGraph& operator=(const TrackRenderGraph&) = delete;

    // Creates the graph with the reader (set up on trackSet) connected to the writer; what an
    // earlier build held is let go first. The file has outputChannels channels (1, 2 or 6).
    HRESULT Build(IUnknown* trackSet, LONG outputChannels = 2);
    // Runs the graph and reads the render's duration.
    HRESULT Run();
    // Waits up to 500 ms for a graph event: its code (1 complete, 2 user abort, 3 error
    // abort, others as the graph sends them) with its parameters in *param1 and *param2;
    // 2 when the graph stopped without an event; 0 while it still runs.
    long WaitEvent(LONG_PTR* param1, LONG_PTR* param2);
    // Percent of the render done (0..100), in floating point; 0 while the duration is 0.
    LONG ProgressPercent() const;
    // Adds the written data and peak files as one item under trackId to items (null: nothing).
    HRESULT TakeOutput(IMtItemList* items, LONG trackId);

    IGraphBuilder* graph = nullptr;
    IBaseFilter* reader = nullptr;
    IBaseFilter* writer = nullptr;
    IMediaSeeking* seeking = nullptr; // of the writer
    IMediaEvent* events = nullptr;
    IMediaControl* control = nullptr;
    LONGLONG duration = 0; // in 100-ns units

private:
    void ReleaseAll();
};
