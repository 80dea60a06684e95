// CRenderWorker: one worker thread that builds and runs an offline filter graph: the engine
// source, a chain of effect filters and a sink (the tracks writer, the sound output, or the
// chain's own last filter). A client on the main thread starts it, adds its filters, attaches
// the document's engine and posts commands; each command runs one job on the worker thread.
//
//   CRenderWorker* worker = new CRenderWorker(dialogWindow);
//   if (FAILED(worker->Start())) ...;                 // waits until the graph is built
//   worker->AddEffectFilter(filter, 0);
//   worker->SetSource(engine);
//   worker->document = doc; worker->history = doc->GetHistory();
//   worker->PostApply(mainWindow);
//   WaitPumping(worker->doneEvent);                   // the progress dialog keeps messages going
//   worker->CompleteOnMainThread();                   // records the "Effect" step here
//   HRESULT hr = worker->result;
//   worker->StopGraph(0); worker->DisconnectChain(); worker->RemoveEffectFilters();
//   delete worker;                                    // never from the worker thread
//
// The worker thread touches only the graph, the files it writes, the engine's track marks and
// selection range, its readers and its item list. What changes the document (the history, the
// labels, the selection model, views) runs on the main thread in CompleteOnMainThread after the
// job has signalled doneEvent: commands 2 and 6 record their "effectfile" step there, command 8
// its "Mixing" transaction, and a failed or cancelled job drops every file it wrote.
#pragma once
#include "ComRef.h"
#include "Lock.h"

#include <windows.h>
#include <mmreg.h>
#include <strmif.h>

#include <cstdint>
#include <string>
#include <vector>

class CommandDocument;
struct ICommandHistory;
struct IMtTrackSet;
struct IMtItemList;
struct IKsDShowSource;

// WM_USER+300: the worker's error report to its client (wParam 0, lParam the failing code).
constexpr UINT kWorkerErrorMessage = WM_USER + 300;
// The result of a job the user cancelled: ends the job, never reported nor shown.
constexpr HRESULT kRenderCancelled = static_cast<HRESULT>(0x83E80005);
// A stereo-only effect asked to process a mono track in place.
constexpr HRESULT kRenderStereoOnly = static_cast<HRESULT>(0x83E8044D);

// Worker commands.
enum RenderCommand : LONG {
    kCmdPreview = 1,
    kCmdApply = 2,
    kCmdNewWindow = 3,
    kCmdRender = 4,
    kCmdPreviewTwoPass = 5,
    kCmdApplyTwoPass = 6,
    kCmdNewWindowTwoPass = 7,
    kCmdApplyToNewTracks = 8,
    kCmdQuit = -1,
};

// One filter of the chain, with one reference to each interface it names.
struct ChainEntry {
    ComRef<IBaseFilter> filter;
    ComRef<IPin> input;
    ComRef<IPin> output;       // null for a terminal filter
    unsigned short channelNeed; // 2: the filter works only on two-channel sound
};

class CRenderWorker {
public:
    explicit CRenderWorker(HWND client);
    // Ends the thread (waiting with the message loop running, so that a report it is sending
    // arrives), then takes the graph down. Must not run on the worker thread.
    virtual ~CRenderWorker();
    CRenderWorker(const CRenderWorker&) = delete;
    CRenderWorker& operator=(const CRenderWorker&) = delete;

    // Creates the events and the thread and waits until the thread has built its graph (or
    // failed to). E_FAIL when the thread cannot be made.
    HRESULT Start();
    // Stores the engine and reads its bits and rate. Called after the filters are added and
    // again before each apply or new-window command.
    HRESULT SetSource(IMtTrackSet* engineSet);
    // The source's own options 8 (a, b), 11 and 14.
    HRESULT SetSourceOption(LONG a, LONG b);
    HRESULT SetSourceOptionA(LONG value);
    HRESULT SetSourceOptionB(LONG value);

    // Posting a command; progress goes to the window given (null: nowhere).
    void PostPreview(HWND progress);
    void PostPreviewTwoPass(HWND progress);
    void PostRender(HWND progress);
    void PostApply(HWND progress);
    void PostApplyTwoPass(HWND progress);
    void PostApplyToNewTracks(HWND progress);
    void PostNewWindow(HWND progress);
    void PostNewWindowTwoPass(HWND progress);
    void RepostPreview();
    void RepostPreviewTwoPass();
    // Any code, with or without the lock (the preview and render commands take it).
    void PostCommand(LONG code, HWND progress, bool locked);
    // The window that gets the error reports; the dialog's exists only once it runs.
    void SetClient(HWND window) { client = window; }

    // The main-thread half of the job that signalled doneEvent last: records the effect
    // (2, 6), builds the "Mixing" step (8, whose failure is reported to the client), or drops
    // the files of a failed job. Updates result; S_OK with nothing to do.
    HRESULT CompleteOnMainThread();

    // Sends a progress record (1 open, 2 update, 4 done, 6 failed); *cancel gets the answer.
    void SendProgress(WPARAM code, const char* text, LONG value, LONG flags, LONG* cancel);
    // Stop, or stop when ready; then waits for the source to stop with messages running.
    void StopGraph(BOOL whenReady);
    bool IsSourceStopped();
    void WaitUntilStopped();

    // The chain (RenderWorker_Chain.cpp). Main thread, while no job runs.
    HRESULT AddEffectFilter(IUnknown* filter, BOOL sinkChainFlag);
    HRESULT DisconnectChain();
    HRESULT RemoveEffectFilters();
    bool ChainNeedsTwoChannels() const;
    bool GraphHasLengtheningEffect();
    bool GraphHasNoiseProfileLearner();
    size_t ChainLength() const { return chain.size(); }

    // After command 3 or 7 (main thread): the new document gets the written file as one
    // "Effect" step (its bits replaced by bitsOverride when not 0), an empty label table with
    // an empty label per track, and every row selected. The file becomes the new document's.
    HRESULT OpenResultAsNewDocument(CommandDocument* target, WORD bitsOverride);
    // The files the writer of the last run wrote ("" when none).
    std::string WrittenDataFile();
    std::string WrittenPeakFile();

    // Set by the client before an apply or new-window command.
    CommandDocument* document = nullptr;
    // The string that names the recorded step: "Effect" (21017) or "Plug-in" (21021).
    UINT commandNameId = 21017;
    ICommandHistory* history = nullptr;
    // Written by the apply and new-document jobs (frames).
    int64_t renderedLength = 0;
    HRESULT result = S_OK;
    HANDLE doneEvent = nullptr;
    WORD bitsPerSample = 16;
    DWORD samplesPerSecond = 0;

protected:
    // A twin worker (the FFT equaliser's) runs its own command set on the same thread, jobs
    // and run loop.
    virtual void RunCommand(LONG code);
    // Its progress: every update of the run loop plain (code 2, no text, Cancel kept, no last
    // update), and the text of a record sent without one.
    bool plainProgress = false;
    UINT defaultProgressText = 0;

private:
    static DWORD WINAPI ThreadProc(void* self);
    DWORD Run();
    HRESULT BuildGraph();
    void Post(LONG code, HWND progress, bool locked);
    void ReportError(HRESULT hr);

protected:
    // Chain (RenderWorker_Chain.cpp), worker thread.
    HRESULT BuildChain(BOOL preview);
    HRESULT ConnectChain(IKsDShowSource* api, ComRef<IPin>* current);
    HRESULT InsertConverter(IKsDShowSource* api, BOOL preview, ComRef<IPin>* current);
    HRESULT RunGraph();
    void WaitForFiltersStopped();
    bool GraphHasClass(const CLSID& id);

    // Jobs (RenderWorker_Jobs.cpp), worker thread.
    HRESULT RunPreview(bool twoPass);
    HRESULT RunApply(IMtItemList* items, BOOL* lengthened, bool twoPass);
    HRESULT RunToNewDocument(bool twoPass);
    HRESULT RunRender();
    HRESULT RenderToTempFiles(IMtItemList* items);
    void AttachSource(LONG mix, LONG live);
    void ReplaceSink(IBaseFilter* next);
    void UseTracksWriter();
    void UseNullRenderer();
    void MeasurePass();
    void SetMeasuringMode(int mode);
    WAVEFORMATEX AddWrittenFile(IMtItemList* items, LONG trackId);
    void DeleteWrittenFiles();

    // Main-thread halves (RenderWorker_Record.cpp).
    HRESULT RecordEffectCommand(IMtItemList* items, int flag);
    HRESULT ReplaceTracksFromFiles(IMtItemList* items);

    ComRef<IMtTrackSet> engine;
    ComRef<IBaseFilter> source;
    ComRef<IGraphBuilder> graph;
    ComRef<IBaseFilter> sink;
    std::vector<ChainEntry> chain;
    LONG command = 0;
    HANDLE commandEvent = nullptr;
    HANDLE thread = nullptr;
    volatile LONG threadRunning = 0;
    CritSec lock;
    LONG state = 0;
    HWND progressWindow = nullptr;
    BOOL sinkChain = FALSE;
    HWND client = nullptr;

    // What the last job leaves for CompleteOnMainThread.
    LONG finishedCommand = 0;
    ComRef<IMtItemList> pendingItems;
    BOOL pendingLengthened = FALSE;
    int firstSelectedTrack = -1; // command 8: the track whose sound was rendered
};
