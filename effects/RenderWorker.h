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
#include "GraphWorker.h"

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

class CRenderWorker : public CGraphWorker {
public:
    explicit CRenderWorker(HWND client);
    // Ends the thread (waiting with the message loop running, so that a report it is sending
    // arrives), then takes the graph down. Must not run on the worker thread.
    ~CRenderWorker() override;

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
    // The window that gets the error reports; the dialog's exists only once it runs.
    void SetClient(HWND window) { client = window; }

    // The main-thread half of the job that signalled doneEvent last: records the effect
    // (2, 6), builds the "Mixing" step (8, whose failure is reported to the client), or drops
    // the files of a failed job. Updates result; S_OK with nothing to do.
    HRESULT CompleteOnMainThread();

    // The chain's effects that need more of the job (RenderWorker_Chain.cpp).
    bool GraphHasLengtheningEffect();
    bool GraphHasNoiseProfileLearner();

    // Set by the client before an apply or new-window command.
    CommandDocument* document = nullptr;
    // The string that names the recorded step: "Effect" (21017) or "Plug-in" (21021).
    UINT commandNameId = 21017;
    ICommandHistory* history = nullptr;
    // Written by the apply and new-document jobs (frames).
    int64_t renderedLength = 0;
    WORD bitsPerSample = 16;
    DWORD samplesPerSecond = 0;

private:
    void RunCommand(LONG code) override;
    HRESULT BuildGraph() override;
    void ReportError(HRESULT hr);

    bool GraphHasClass(const CLSID& id);

    // Jobs (RenderWorker_Jobs.cpp), worker thread.
    HRESULT RunPreview(bool twoPass);
    HRESULT RunApply(IMtItemList* items, BOOL* lengthened, bool twoPass);
    HRESULT RunToNewDocument(bool twoPass);
    HRESULT RunRender();
    HRESULT RenderToTempFiles(IMtItemList* items);
    void AttachSource(LONG mix, LONG live) { AttachEngineSource(engine.Get(), mix, live); }
    void MeasurePass();
    void SetMeasuringMode(int mode);

    // Main-thread halves (RenderWorker_Record.cpp).
    HRESULT RecordEffectCommand(IMtItemList* items, int flag);
    HRESULT ReplaceTracksFromFiles(IMtItemList* items);

    ComRef<IMtTrackSet> engine;
    HWND client = nullptr;

    // What the last job leaves for CompleteOnMainThread.
    LONG finishedCommand = 0;
    ComRef<IMtItemList> pendingItems;
    BOOL pendingLengthened = FALSE;
    int firstSelectedTrack = -1; // command 8: the track whose sound was rendered
};
