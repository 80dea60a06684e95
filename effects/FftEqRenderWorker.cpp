// The FFT equaliser's jobs: what they add to the render worker's (the equaliser's mode, the
// channel analysed, the tracks marked while they run).
#include "FftEqRenderWorker.h"

#include "KvSEFFEQ.h"
#include "TrackMarks.h"

namespace {
constexpr UINT kIdsAnalysisProgress = 20468; // "Processing Frequency analysis..."
}

CFftEqRenderWorker::CFftEqRenderWorker() : CRenderWorker(nullptr)
{
    plainProgress = true;
    defaultProgressText = kIdsAnalysisProgress;
}

HRESULT CFftEqRenderWorker::SetEffect(IBaseFilter* effect)
{
    return AddEffectFilter(effect, FALSE);
}

ComRef<IFftEqualizer> CFftEqRenderWorker::Equalizer()
{
    ComRef<IFftEqualizer> equalizer;
    if (chain.empty() || FAILED(chain.front().filter->QueryInterface(__uuidof(IFftEqualizer), equalizer.OutVoid())))
        throw CKvSSException(E_NOINTERFACE);
    return equalizer;
}

void CFftEqRenderWorker::RunCommand(LONG code)
{
    switch (code) {
    case kFftEqPreview:
        result = RunPreviewOfSound();
        break;
    case kFftEqAnalysis:
        result = RunAnalysis();
        break;
    case kFftEqApply:
    case kFftEqNewWindow:
        // The render worker's own apply and new-document jobs, with the equaliser equalising.
        try {
            Equalizer()->SetAnalysisMode(0);
        } catch (const CKvSSException& e) {
            result = e.m_hr;
            break;
        }
        CRenderWorker::RunCommand(code == kFftEqApply ? kCmdApply : kCmdNewWindow); // sets doneEvent
        return;
    default:
        return; // 0 and codes above 4: back to waiting
    }
    ::SetEvent(doneEvent);
}

// Only the selected tracks that hold sound play; the spectrum shown before comes back after.
HRESULT CFftEqRenderWorker::RunPreviewOfSound()
{
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        std::vector<LONG> sounding;
        for (LONG t : marks.Marked()) {
            ComRef<IMtTrack> track;
            LONGLONG length = 0;
            if (SUCCEEDED(engine->GetTrack(t, track.Out())) && SUCCEEDED(track->GetLength(&length)) && length != 0)
                sounding.push_back(t);
        }
        marks.Restore(sounding);
        ComRef<IFftEqualizer> equalizer = Equalizer();
        equalizer->KeepSpectrum();
        equalizer->SetAnalysisMode(0);
        const HRESULT hr = RunPreview(false); // sets doneEvent once it plays or failed to
        equalizer->SettleSpectrum(1);
        return hr;
    } catch (const CKvSSException& e) {
        ::SetEvent(doneEvent); // the "playing" signal the client waits for first
        return e.m_hr;
    }
}

// One channel of one track through the equaliser in analysis mode into the null renderer: the
// module keeps the spectrum, and no file is written that would have to go again.
HRESULT CFftEqRenderWorker::RunAnalysis()
{
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        marks.SelectOnly(trackIndex);
        ComRef<IFftEqualizer> equalizer = Equalizer();
        equalizer->SelectChannel(channel);
        equalizer->SetAnalysisMode(1);
        UseNullRenderer();
        AttachSource(0, 0);
        HRESULT hr = BuildChain(FALSE);
        if (SUCCEEDED(hr))
            hr = RunGraph();
        DisconnectChain();
        ReplaceSink(nullptr);
        equalizer->SetAnalysisMode(0);
        return hr;
    } catch (const CKvSSException& e) {
        DisconnectChain();
        return e.m_hr;
    }
}
