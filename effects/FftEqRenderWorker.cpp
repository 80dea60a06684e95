// The FFT equaliser's four jobs on the worker thread, and the recording of an apply on the
// main thread.
#include "FftEqRenderWorker.h"

#include "CommandSupport.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSEFFEQ.h"
#include "KvSSException.h"
#include "MarkCommands.h"
#include "TrackMarks.h"

#include <control.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kIdsAnalysisProgress = 20468; // "Processing Frequency analysis..."
constexpr UINT kIdsEffect = 21017;           // "Effect"

LONGLONG TrackLength(IMtTrackSet* engine, LONG index)
{
    ComRef<IMtTrack> track;
    LONGLONG length = 0;
    if (SUCCEEDED(engine->GetTrack(index, track.Out())) && track)
        track->GetLength(&length);
    return length;
}

// The marked tracks that hold sound.
std::vector<LONG> Sounding(IMtTrackSet* engine, const std::vector<LONG>& marked)
{
    std::vector<LONG> sounding;
    for (LONG t : marked)
        if (TrackLength(engine, t) != 0)
            sounding.push_back(t);
    return sounding;
}

} // namespace

CFftEqRenderWorker::CFftEqRenderWorker()
{
    defaultProgressText = kIdsAnalysisProgress;
    plainProgress = true;
}

CFftEqRenderWorker::~CFftEqRenderWorker()
{
    EndThread();
    if (graph) {
        DisconnectChain();
        RemoveEffectFilters(); // the dialog keeps its own reference to the equaliser
        if (source)
            graph->RemoveFilter(source.Get());
        if (sink)
            graph->RemoveFilter(sink.Get());
    }
    pendingItems.Reset();
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
        result = RunPreview();
        break;
    case kFftEqAnalysis:
        result = RunAnalysis();
        break;
    case kFftEqApply: {
        ComRef<IMtItemList> items;
        pendingItems.Reset();
        result = MtEngine::CreateItemList(items);
        if (SUCCEEDED(result))
            result = RunApply(items.Get());
        pendingItems = items;
        break;
    }
    case kFftEqNewWindow:
        result = RunToNewFile();
        break;
    default:
        return; // 0 and codes above 4: back to waiting
    }
    finishedCommand = code;
    ::SetEvent(doneEvent);
}

// Only the selected tracks that hold sound play; the spectrum shown before comes back after.
HRESULT CFftEqRenderWorker::RunPreview()
{
    HRESULT hr = S_OK;
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        marks.Restore(Sounding(engine.Get(), marks.Marked()));
        UseAudioRenderer();
        AttachEngineSource(engine.Get(), 1, 1);
        ComRef<IFftEqualizer> equalizer = Equalizer();
        equalizer->KeepSpectrum();
        equalizer->SetAnalysisMode(0);
        hr = BuildChain(TRUE);
        if (SUCCEEDED(hr))
            hr = RunGraph();
        DisconnectChain();
        ReplaceSink(nullptr); // the sound output is free again
        equalizer->SettleSpectrum(1);
    } catch (const CKvSSException& e) {
        hr = e.m_hr;
        DisconnectChain();
        ReplaceSink(nullptr);
    }
    return hr;
}

// One channel of one track through the equaliser in analysis mode into the null renderer: the
// module keeps the spectrum, and no file is written that would have to go again.
HRESULT CFftEqRenderWorker::RunAnalysis()
{
    HRESULT hr = S_OK;
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        marks.SelectOnly(trackIndex);
        ComRef<IFftEqualizer> equalizer = Equalizer();
        UseNullRenderer();
        AttachEngineSource(engine.Get(), 0, 0);
        equalizer->SelectChannel(channel);
        equalizer->SetAnalysisMode(1);
        hr = BuildChain(FALSE);
        if (SUCCEEDED(hr))
            hr = RunGraph();
        DisconnectChain();
        ReplaceSink(nullptr);
        equalizer->SetAnalysisMode(0);
    } catch (const CKvSSException& e) {
        hr = e.m_hr;
        DisconnectChain();
        ReplaceSink(nullptr);
    }
    return hr;
}

// Each selected track that holds sound, alone, into a file of its own; the first failure ends
// the job and drops the file of that track (the earlier ones go with the list).
HRESULT CFftEqRenderWorker::RunApply(IMtItemList* items)
{
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        ComRef<IFftEqualizer> equalizer = Equalizer();
        equalizer->SetAnalysisMode(0);
        for (LONG t : Sounding(engine.Get(), marks.Marked())) {
            ComRef<IMtTrack> track;
            ThrowIfFailed(engine->GetTrack(t, track.Out()));
            LONG trackId = -1;
            track->GetTrackId(&trackId);
            marks.SelectOnly(t);
            UseTracksWriter();
            AttachEngineSource(engine.Get(), 0, 0);
            HRESULT hr = BuildChain(FALSE);
            if (SUCCEEDED(hr))
                hr = RunGraph();
            DisconnectChain();
            if (FAILED(hr)) {
                DeleteWrittenFiles();
                throw CKvSSException(hr);
            }
            AddWrittenFile(items, trackId);
        }
        return S_OK;
    } catch (const CKvSSException& e) {
        DisconnectChain();
        return e.m_hr;
    }
}

// The mix of the selected tracks that hold sound into one file. The equaliser needs one pass:
// its filter is the whole effect, with nothing learnt from a first run.
HRESULT CFftEqRenderWorker::RunToNewFile()
{
    HRESULT hr = S_OK;
    try {
        ComRef<IMtSelection> selection = SelectionOf(engine.Get());
        TrackMarks marks(engine.Get(), selection.Get());
        marks.Restore(Sounding(engine.Get(), marks.Marked()));
        ComRef<IFftEqualizer> equalizer = Equalizer();
        equalizer->SetAnalysisMode(0);
        UseTracksWriter();
        AttachEngineSource(engine.Get(), 1, 0);
        hr = BuildChain(FALSE);
        if (SUCCEEDED(hr))
            hr = RunGraph();
        DisconnectChain();
    } catch (const CKvSSException& e) {
        hr = e.m_hr;
        DisconnectChain();
    }
    if (FAILED(hr))
        DeleteWrittenFiles();
    return hr;
}

HRESULT CFftEqRenderWorker::CompleteOnMainThread()
{
    const LONG code = finishedCommand;
    finishedCommand = 0;
    ComRef<IMtItemList> items = pendingItems;
    pendingItems.Reset();
    if (code != kFftEqApply || !items)
        return result;
    if (SUCCEEDED(result)) {
        const std::string name = LoadResourceText(kIdsEffect);
        result = RecordEffectFiles(document, history, items.Get(), name.empty() ? "Effect" : name.c_str(), 0);
    }
    // The list holds the only references to the written files: a failed job or recording
    // keeps none of them.
    if (FAILED(result))
        items->Clear();
    return result;
}
