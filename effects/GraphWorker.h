// CGraphWorker: what the render workers share: one worker thread that owns a filter graph and
// runs one command at a time, with a command event, a done event and one lock; progress
// records sent to a progress window; stopping the graph from the client's thread; and the run
// of the graph to its end with progress and cancel. A worker derives from it, builds its graph
// (BuildGraph, on the thread) and runs its commands (RunCommand, on the thread).
//
//   class CMyWorker : public CGraphWorker { HRESULT BuildGraph() override; void RunCommand(LONG) override; };
//   worker.Start();                      // waits until the thread has built its graph
//   worker.PostCommand(2, progress, false);
//   WaitPumping(worker.doneEvent);       // the thread sends progress: keep messages going
//   ~CMyWorker() { EndThread(); ... }    // the thread ends before the derived parts go
//
// `source` is the graph's head filter (the engine source, or a generator), `sink` its end;
// between them a chain of effect filters (GraphWorker_Chain.cpp), connected anew for each run.
#pragma once
#include "ComRef.h"
#include "Lock.h"

#include <windows.h>
#include <mmreg.h>
#include <strmif.h>

#include <string>
#include <vector>

class CommandDocument;
struct ICommandHistory;
struct IKsDShowSource;
struct IMtItemList;
struct IMtTrackSet;

// The result of a job the user cancelled: ends the job, never reported nor shown.
constexpr HRESULT kRenderCancelled = static_cast<HRESULT>(0x83E80005);

// One filter of the chain, with one reference to each interface it names.
struct ChainEntry {
    ComRef<IBaseFilter> filter;
    ComRef<IPin> input;
    ComRef<IPin> output;        // null for a terminal filter
    unsigned short channelNeed; // 2: the filter works only on two-channel sound
};

class CGraphWorker {
public:
    CGraphWorker() = default;
    virtual ~CGraphWorker();
    CGraphWorker(const CGraphWorker&) = delete;
    CGraphWorker& operator=(const CGraphWorker&) = delete;

    // Creates the events and the thread and waits until the thread has built its graph (or
    // failed to). E_FAIL when the thread cannot be made.
    HRESULT Start();
    // Stores the command and the progress window (under the lock when asked) and wakes the
    // thread. Negative codes end it.
    void PostCommand(LONG code, HWND progress, bool locked);
    // Sends a progress record (1 open, 2 update, 4 done, 6 failed) to the progress window;
    // *cancel gets the answer (0 without a window).
    void SendProgress(WPARAM code, const char* text, LONG value, LONG flags, LONG* cancel);
    // Stop, or stop when ready; then waits, with messages running, for the head filter to stop
    // and the thread to take its graph apart.
    void StopGraph(BOOL whenReady);
    bool IsSourceStopped();
    void WaitUntilStopped();

    // The files the writer of the last run wrote ("" when none).
    std::string WrittenDataFile();
    std::string WrittenPeakFile();

    // The chain (GraphWorker_Chain.cpp). Main thread, while no job runs.
    HRESULT AddEffectFilter(IUnknown* filter, BOOL sinkChainFlag);
    HRESULT DisconnectChain();
    HRESULT RemoveEffectFilters();
    // Stopped, the chain disconnected and out of the graph: the worker can go.
    void TakeDownChain();
    bool ChainNeedsTwoChannels() const;
    size_t ChainLength() const { return chain.size(); }

    // After a render into one file (main thread): the new document gets the written file as
    // one "Effect" step (its bits replaced by bitsOverride when not 0), an empty label table
    // with an empty label per track, and every row selected. The file becomes the new
    // document's.
    HRESULT OpenResultAsNewDocument(CommandDocument* target, WORD bitsOverride);

    HRESULT result = S_OK;
    HANDLE doneEvent = nullptr;

protected:
    // On the worker thread: the graph, once; a failure ends the thread after the start signal.
    virtual HRESULT BuildGraph() = 0;
    // On the worker thread: one posted command (positive codes).
    virtual void RunCommand(LONG code) = 0;
    // Ends the thread, with messages running so that what it is sending arrives. A derived
    // destructor calls it before taking its own parts down; never on the worker thread.
    void EndThread();
    // Runs the graph to its end: S_OK, the error of an abort event, or kRenderCancelled after
    // a cancel or a stop from outside.
    HRESULT RunGraph();
    void WaitForFiltersStopped();
    // The sink replaced: the old one leaves the graph, the new one (if any) joins it. Throws.
    void ReplaceSink(IBaseFilter* next);
    // A new tracks writer as the sink, ready for a run. Throws.
    void UseTracksWriter();
    // The file the writer wrote, as an item of the track with that id; its format is the
    // file's. Throws.
    WAVEFORMATEX AddWrittenFile(IMtItemList* items, LONG trackId);
    // Both files of the writer's last run deleted (a failed run keeps nothing).
    void DeleteWrittenFiles();
    // The null renderer as the sink, and no clock: the run goes as fast as the filters allow.
    // Throws.
    void UseNullRenderer();
    // The sound output of the configured device as the sink, its clock the graph's. Throws.
    void UseAudioRenderer();
    // The graph with the engine source (KsDShowSrc) in it.
    HRESULT BuildEngineSourceGraph();
    // The source reads the engine (mix: the selected tracks mixed; live: as a preview) in
    // float samples. Throws.
    void AttachEngineSource(IMtTrackSet* engine, LONG mix, LONG live);

    // Chain, worker thread: source, chain, (converter,) sink connected; float samples first,
    // integer ones when the chain refuses them.
    HRESULT BuildChain(BOOL preview);
    HRESULT ConnectChain(IKsDShowSource* api, ComRef<IPin>* current);
    HRESULT InsertConverter(IKsDShowSource* api, BOOL preview, ComRef<IPin>* current);

    ComRef<IGraphBuilder> graph;
    ComRef<IBaseFilter> source;
    ComRef<IBaseFilter> sink;
    CritSec lock;
    LONG command = 0;
    LONG state = 0; // 0 waiting for a command, 2 running one
    HWND progressWindow = nullptr;
    volatile LONG threadRunning = 0;
    std::vector<ChainEntry> chain;
    // The attribute module's converter, kept between runs: made anew for each track, its module
    // was unloaded and loaded again every time.
    ComRef<IBaseFilter> converter;
    BOOL sinkChain = FALSE;
    // The text of a progress record sent without one ("Processing..." when 0), and whether
    // the run's updates are all plain: that text, the Cancel button kept, no last update.
    UINT defaultProgressText = 0;
    bool plainProgress = false;

private:
    static DWORD WINAPI ThreadProc(void* self);
    DWORD Run();

    HANDLE commandEvent = nullptr;
    HANDLE thread = nullptr;
};

// Takes and dispatches every waiting message of this thread (a quit stays queued).
void DispatchWaitingMessages();
// The listed files as one step named `name` of the document's history ("effectfile"; flag 1
// for a lengthening effect's output). S_FALSE and no step for an empty list.
HRESULT RecordEffectFiles(CommandDocument* document, ICommandHistory* history, IMtItemList* items, const char* name,
                          int flag);
