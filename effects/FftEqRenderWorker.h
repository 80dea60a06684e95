// CFftEqRenderWorker: the render worker of the FFT equaliser's dialog. The render worker's
// thread, events, progress, chain and jobs with one effect filter, the equaliser, and four
// commands of its own: 1 preview (the non-empty selected tracks, until the sound ends or the
// dialog stops it), 2 analysis of one channel of one track (the module keeps its spectrum for
// its page; nothing is written), 3 apply to the selected tracks (one "Effect" step, recorded
// on the main thread by CompleteOnMainThread), 4 render into a new document. doneEvent is set
// after every command; a preview sets it once more as soon as it plays (or failed to start).
// Progress records without text read "Processing Frequency analysis...".
//
//   CFftEqRenderWorker worker;
//   worker.Start(); worker.SetEffect(equaliser); worker.SetSource(engine);
//   worker.trackIndex = 0; worker.channel = 1;
//   worker.PostAnalysis(mainWindow); WaitPumping(worker.doneEvent);
#pragma once
#include "RenderWorker.h"

struct IFftEqualizer;

enum FftEqCommand : LONG {
    kFftEqPreview = 1,
    kFftEqAnalysis = 2,
    kFftEqApply = 3,
    kFftEqNewWindow = 4,
};

class CFftEqRenderWorker : public CRenderWorker {
public:
    CFftEqRenderWorker();

    // The equaliser becomes the one filter of the chain (the caller keeps its own reference).
    HRESULT SetEffect(IBaseFilter* effect);

    void PostPreview(HWND progress) { PostCommand(kFftEqPreview, progress, true); }
    void PostAnalysis(HWND progress) { PostCommand(kFftEqAnalysis, progress, false); }
    void PostApply(HWND progress) { PostCommand(kFftEqApply, progress, false); }
    void PostNewWindow(HWND progress) { PostCommand(kFftEqNewWindow, progress, false); }

    // The track analysed (index among the engine's tracks; -1 none) and its channel.
    int trackIndex = -1;
    int channel = 0;

protected:
    void RunCommand(LONG code) override;

private:
    HRESULT RunAnalysis();
    HRESULT RunPreviewOfSound();
    ComRef<IFftEqualizer> Equalizer();
};
