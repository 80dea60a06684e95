// CGeneratorRenderWorker: the render worker of a sound generator (FM tone, simple tone, silence,
// noise). It shares CGraphWorker's thread, events, progress and run of the graph; the
// generator filter is the graph's head (no engine source, no effect chain), and it has two
// commands: 1 plays the generator at the sound output, 2 renders it into one new file per
// selected track with that track's channel count. No error reports go to a client window.
//
//   CGeneratorRenderWorker* worker = new CGeneratorRenderWorker;
//   worker->Start();
//   worker->generatorCommand = 2022; worker->engine = ...; worker->SetGenerator(filter);
//   SetGeneratorLength(2022, filter, frames);
//   worker->document = doc; worker->history = doc->GetHistory();
//   worker->PostRender(mainWindow); WaitPumping(worker->doneEvent);
//   worker->CompleteOnMainThread();   // inserts the files as one "Effect" step, or drops them
//   worker->StopGraph(FALSE); worker->DisconnectGenerator(); delete worker;
//
// The thread touches only the graph, the files it writes and its item list; the insertion
// into the document runs on the main thread after doneEvent. A render that fails on any track
// keeps no file of any track.
#pragma once
#include "GraphWorker.h"

#include <cstdint>

class CommandDocument;
struct ICommandHistory;
struct IMtItemList;
struct IMtTrackSet;

enum GeneratorCommand : LONG {
    kGenPreview = 1,
    kGenRender = 2,
};

class CGeneratorRenderWorker : public CGraphWorker {
public:
    CGeneratorRenderWorker() { command = -1; }
    ~CGeneratorRenderWorker() override;

    // Adds the generator to the graph and keeps it as the graph's head.
    HRESULT SetGenerator(IBaseFilter* generator);
    void PostPreview(HWND progress) { PostCommand(kGenPreview, progress, true); }
    void PostRender(HWND progress) { PostCommand(kGenRender, progress, false); }
    bool IsGeneratorStopped() { return IsSourceStopped(); }
    // The generator's output disconnected, and whatever it was connected to.
    void DisconnectGenerator();
    // After command 2 (main thread): the rendered files inserted over the engine's selected
    // range as one "Effect" step (the history's Do, the document not marked modified), or,
    // after a failure, every file dropped. Updates result; S_FALSE with nothing rendered.
    HRESULT CompleteOnMainThread();

    // Set by the dialog.
    UINT generatorCommand = 0;
    IMtTrackSet* engine = nullptr;
    CommandDocument* document = nullptr;
    ICommandHistory* history = nullptr;

private:
    HRESULT BuildGraph() override;
    void RunCommand(LONG code) override;
    HRESULT Preview();
    HRESULT RenderToTracks(IMtItemList* list);
    HRESULT InsertRenderedFiles(IMtItemList* list);
    HRESULT ConnectGeneratorToSink();
    void UseClock(bool realTime);

    LONG finishedCommand = 0;
    ComRef<IMtItemList> pendingItems;
};
