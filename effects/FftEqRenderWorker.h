// CFftEqRenderWorker: the render worker of the FFT equaliser's dialog. It shares CGraphWorker's
// thread, events, progress, run of the graph and chain (here of one filter, the equaliser)
// and has four commands of its own: 1 preview (the non-empty selected tracks at the sound
// output, until the sound ends or the dialog stops it), 2 analysis of one channel of one track
// (the module keeps its spectrum for its page; nothing is written), 3 apply to the selected
// tracks, 4 render the mix of the selected tracks into one file for a new document. Every job
// marks the tracks it needs and puts the document's marks back on every way out. Progress
// records without text read "Processing Frequency analysis..."; the run's updates keep Cancel.
//
//   CFftEqRenderWorker worker;
//   worker.Start(); worker.SetEffect(equaliser); worker.engine = ...;
//   worker.trackIndex = 0; worker.channel = 1;
//   worker.PostAnalysis(mainWindow); WaitPumping(worker.doneEvent);
//   worker.document = doc; worker.history = doc->GetHistory();
//   worker.PostApply(mainWindow); WaitPumping(worker.doneEvent);
//   worker.CompleteOnMainThread();   // records the "Effect" step here, or drops the files
//
// The thread touches only the graph, the engine's track marks, the files it writes and its
// item list; the step is recorded on the main thread after doneEvent. An apply that fails on
// any track keeps no file of any track; a failed render into a new file keeps none either.
#pragma once
#include "GraphWorker.h"

struct IFftEqualizer;

enum FftEqCommand : LONG {
    kFftEqPreview = 1,
    kFftEqAnalysis = 2,
    kFftEqApply = 3,
    kFftEqNewWindow = 4,
};

class CFftEqRenderWorker : public CGraphWorker {
public:
    CFftEqRenderWorker();
    ~CFftEqRenderWorker() override;

    // The equaliser becomes the one filter of the chain (the caller keeps its own reference).
    HRESULT SetEffect(IBaseFilter* effect) { return AddEffectFilter(effect, FALSE); }

    void PostPreview(HWND progress) { PostCommand(kFftEqPreview, progress, true); }
    void PostAnalysis(HWND progress) { PostCommand(kFftEqAnalysis, progress, false); }
    void PostApply(HWND progress) { PostCommand(kFftEqApply, progress, false); }
    void PostNewWindow(HWND progress) { PostCommand(kFftEqNewWindow, progress, false); }

    // After command 3 (main thread): the written files recorded as one "Effect" step, or,
    // after a failure (the job's or the recording's), every file dropped. Updates result;
    // S_FALSE with nothing written. Other commands: their result.
    HRESULT CompleteOnMainThread();

    // Set by the dialog: the document's engine; the track analysed (index among the engine's
    // tracks) and its channel; before an apply the document and its history.
    ComRef<IMtTrackSet> engine;
    int trackIndex = -1;
    int channel = 0;
    CommandDocument* document = nullptr;
    ICommandHistory* history = nullptr;

private:
    HRESULT BuildGraph() override { return BuildEngineSourceGraph(); }
    void RunCommand(LONG code) override;
    HRESULT RunPreview();
    HRESULT RunAnalysis();
    HRESULT RunApply(IMtItemList* items);
    HRESULT RunToNewFile();
    ComRef<IFftEqualizer> Equalizer();

    LONG finishedCommand = 0;
    ComRef<IMtItemList> pendingItems;
};
