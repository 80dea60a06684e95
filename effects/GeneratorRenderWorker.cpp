// The generator worker's two commands on its thread (preview, render into files per selected
// track) and the insertion of the rendered files on the main thread.
#include "GeneratorRenderWorker.h"

#include "AudioRenderer.h"
#include "CommandDocument.h"
#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "FileCommands.h"
#include "GeneratorSlots.h"
#include "GraphHelpers.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "MarkCommands.h"

#include <uuids.h>

#include <string>
#include <utility>

namespace {

constexpr UINT kIdsEffect = 21017; // "Effect"

} // namespace

CGeneratorRenderWorker::~CGeneratorRenderWorker()
{
    EndThread();
    if (graph) {
        if (source)
            graph->RemoveFilter(source.Get());
        if (sink)
            graph->RemoveFilter(sink.Get());
    }
    pendingItems.Reset();
}

HRESULT CGeneratorRenderWorker::BuildGraph()
{
    return ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                              IID_IGraphBuilder, graph.OutVoid());
}

HRESULT CGeneratorRenderWorker::SetGenerator(IBaseFilter* generator)
{
    if (!graph || !generator)
        return E_FAIL;
    HRESULT hr = graph->AddFilter(generator, nullptr);
    if (SUCCEEDED(hr))
        source = ComRef<IBaseFilter>::Share(generator);
    return hr;
}

void CGeneratorRenderWorker::RunCommand(LONG code)
{
    switch (code) {
    case kGenPreview:
        result = Preview();
        finishedCommand = code;
        ::SetEvent(doneEvent);
        return;
    case kGenRender: {
        ComRef<IMtItemList> items;
        pendingItems.Reset();
        result = MtEngine::CreateItemList(items);
        if (SUCCEEDED(result))
            result = RenderToTracks(items.Get());
        pendingItems = items;
        finishedCommand = code;
        ::SetEvent(doneEvent);
        return;
    }
    default:
        return;
    }
}

void CGeneratorRenderWorker::UseClock(bool realTime)
{
    if (realTime) {
        ComRef<IFilterGraph> filterGraph;
        if (SUCCEEDED(graph->QueryInterface(IID_IFilterGraph, filterGraph.OutVoid())))
            filterGraph->SetDefaultSyncSource();
        return;
    }
    // Rendering into files runs as fast as the generator allows.
    ComRef<IMediaFilter> timing;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaFilter, timing.OutVoid())))
        timing->SetSyncSource(nullptr);
}

HRESULT CGeneratorRenderWorker::ConnectGeneratorToSink()
{
    ComRef<IPin> out, in;
    HRESULT hr = FindPinByDirection(source.Get(), PINDIR_OUTPUT, out.Out());
    if (SUCCEEDED(hr))
        hr = FindPinByDirection(sink.Get(), PINDIR_INPUT, in.Out());
    if (SUCCEEDED(hr))
        hr = graph->ConnectDirect(out.Get(), in.Get(), nullptr);
    return hr;
}

void CGeneratorRenderWorker::DisconnectGenerator()
{
    ComRef<IPin> out, other;
    if (!graph || !source || FAILED(FindPinByDirection(source.Get(), PINDIR_OUTPUT, out.Out())))
        return;
    if (SUCCEEDED(out->ConnectedTo(other.Out())) && other) {
        out->Disconnect();
        other->Disconnect();
    }
}

// The result is kept: a preview stopped from the dialog ends with the cancel code, one whose
// output cannot be made with that failure.
HRESULT CGeneratorRenderWorker::Preview()
{
    try {
        ReplaceSink(nullptr);
        ComRef<IBaseFilter> renderer;
        ThrowIfFailed(CreateAudioRendererFilter(renderer.Out()));
        ReplaceSink(renderer.Get());
        UseClock(true);
        ThrowIfFailed(ConnectGeneratorToSink());
        const HRESULT hr = RunGraph();
        DisconnectGenerator();
        return hr;
    } catch (const CKvSSException& e) {
        DisconnectGenerator();
        return e.m_hr;
    }
}

HRESULT CGeneratorRenderWorker::RenderToTracks(IMtItemList* list)
{
    if (!engine || !source)
        return E_FAIL;
    WORD bits = 16;
    DWORD rate = 44100;
    LONG count = 0;
    ComRef<IMtSelection> selection;
    HRESULT hr = engine->GetBitsPerSample(&bits);
    if (SUCCEEDED(hr))
        hr = engine->GetSamplesPerSec(&rate);
    if (SUCCEEDED(hr))
        hr = engine->GetTrackCount(&count);
    if (SUCCEEDED(hr))
        hr = engine->QueryInterface(__uuidof(IMtSelection), selection.OutVoid());
    if (FAILED(hr))
        return hr;
    UseClock(false);
    for (LONG i = 0; i < count && SUCCEEDED(hr); ++i) {
        ComRef<IMtTrack> track;
        WORD channels = 1;
        if (FAILED(engine->GetTrack(i, track.Out())) || !track)
            continue;
        track->GetChannels(&channels);
        hr = SetGeneratorFormat(generatorCommand, source.Get(), rate, bits, channels);
        if (FAILED(hr))
            break;
        LONG marked = 0;
        if (FAILED(selection->IsTrackMarked(i, &marked)) || !marked)
            continue;
        try {
            UseTracksWriter();
            ThrowIfFailed(ConnectGeneratorToSink());
        } catch (const CKvSSException& e) {
            hr = e.m_hr;
            DisconnectGenerator();
            break;
        }
        hr = RunGraph();
        if (SUCCEEDED(hr)) {
            LONG trackId = 0;
            track->GetTrackId(&trackId);
            try {
                AddWrittenFile(list, trackId);
            } catch (const CKvSSException& e) {
                hr = e.m_hr;
                DeleteWrittenFiles();
            }
        } else {
            DeleteWrittenFiles();
        }
        DisconnectGenerator();
    }
    return hr;
}

HRESULT CGeneratorRenderWorker::CompleteOnMainThread()
{
    const LONG code = finishedCommand;
    finishedCommand = 0;
    ComRef<IMtItemList> items = pendingItems;
    pendingItems.Reset();
    if (code != kGenRender || !items)
        return result;
    if (SUCCEEDED(result))
        result = InsertRenderedFiles(items.Get());
    // The list holds the only references to the rendered files: a failed render or insertion
    // keeps none of them, an earlier track's included.
    if (FAILED(result))
        items->Clear();
    return result;
}

HRESULT CGeneratorRenderWorker::InsertRenderedFiles(IMtItemList* list)
{
    if (list->IsEmpty())
        return S_FALSE;
    if (!document || !history || !engine)
        return E_FAIL;
    ComRef<IMtSelection> selection;
    HRESULT hr = engine->QueryInterface(__uuidof(IMtSelection), selection.OutVoid());
    if (FAILED(hr))
        return hr;
    LONGLONG start = 0, end = 0;
    selection->GetRange(&start, &end);
    if (end < start)
        std::swap(start, end);
    ComRef<IEditCommand> insert(
        static_cast<IEditCommand*>(NewCommand<InsertFileCommand>(document, start, end - start, list)));
    if (!insert)
        return E_OUTOFMEMORY;
    std::string name = LoadResourceText(kIdsEffect);
    insert->SetName(name.empty() ? "Effect" : name.c_str());
    return history->Do(insert.Get(), FALSE);
}
