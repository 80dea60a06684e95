// The effect chain: filters entering it, its connection between the source and the sink (with
// the attribute module's converter where the formats differ), and taking it apart again.
#include "GraphWorker.h"

#include "AudioRenderer.h"
#include "EffectModuleTable.h"
#include "FormatConverter.h"
#include "GraphHelpers.h"
#include "IAttributeSettings.h"
#include "IEffectEnvironment.h"
#include "IKsDShowSource.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"
#include "ModuleObjects.h"
#include "ResourceModule.h"

#include <control.h>
#include <evcode.h>
#include <mmreg.h>
#include <uuids.h>

#include <cstring>
#include <string>

namespace {

const CLSID kNullRenderer = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

// The wave format of a connected pin's media type; false when it has none.
bool ConnectionFormat(IPin* pin, WAVEFORMATEX* format)
{
    AM_MEDIA_TYPE type;
    std::memset(&type, 0, sizeof type);
    if (FAILED(pin->ConnectionMediaType(&type)))
        return false;
    bool ok = type.pbFormat && type.cbFormat >= sizeof(WAVEFORMATEX);
    if (ok)
        std::memcpy(format, type.pbFormat, sizeof *format);
    if (type.pbFormat)
        ::CoTaskMemFree(type.pbFormat);
    if (type.pUnk)
        type.pUnk->Release();
    return ok;
}

void DisconnectPin(IGraphBuilder* graph, IPin* pin)
{
    if (pin)
        graph->Disconnect(pin);
}

} // namespace

HRESULT CGraphWorker::AddEffectFilter(IUnknown* filter, BOOL sinkChainFlag)
{
    sinkChain = sinkChainFlag;
    if (!filter || !graph)
        return E_FAIL;
    try {
        ChainEntry entry{};
        ThrowIfFailed(filter->QueryInterface(IID_IBaseFilter, entry.filter.OutVoid()));
        ComRef<IEnumPins> pins;
        ThrowIfFailed(entry.filter->EnumPins(pins.Out()));
        ComRef<IPin> pin;
        while (pins->Next(1, pin.Out(), nullptr) == S_OK) {
            PIN_DIRECTION direction;
            if (FAILED(pin->QueryDirection(&direction)))
                continue;
            if (direction == PINDIR_INPUT && !entry.input)
                entry.input = pin;
            else if (direction == PINDIR_OUTPUT && !entry.output)
                entry.output = pin;
        }
        if (!entry.input || (!entry.output && !sinkChainFlag))
            throw CKvSSException(E_FAIL);
        ThrowIfFailed(graph->AddFilter(entry.filter.Get(), nullptr));
        ComRef<IEffectChannelNeed> need;
        if (SUCCEEDED(entry.filter->QueryInterface(__uuidof(IEffectChannelNeed), need.OutVoid())))
            need->GetChannelNeed(&entry.channelNeed);
        chain.push_back(std::move(entry));
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

HRESULT CGraphWorker::ConnectChain(IKsDShowSource* api, ComRef<IPin>* current)
{
    for (int attempt = 0;; ++attempt) {
        ComRef<IPin> output;
        HRESULT hr = FindPinByDirection(source.Get(), PINDIR_OUTPUT, output.Out());
        if (FAILED(hr))
            return hr;
        size_t failed = chain.size();
        for (size_t i = 0; i < chain.size(); ++i) {
            hr = graph->ConnectDirect(output.Get(), chain[i].input.Get(), nullptr);
            if (FAILED(hr)) {
                failed = i;
                break;
            }
            output = chain[i].output;
        }
        if (failed == chain.size()) {
            *current = output;
            return S_OK;
        }
        // Float samples refused somewhere: everything goes back and the chain is tried once
        // more with integer samples from the source.
        ComRef<IPin> sourceOut;
        FindPinByDirection(source.Get(), PINDIR_OUTPUT, sourceOut.Out());
        DisconnectPin(graph.Get(), sourceOut.Get());
        for (size_t i = failed; i-- > 0;) {
            DisconnectPin(graph.Get(), chain[i].input.Get());
            DisconnectPin(graph.Get(), chain[i].output.Get());
        }
        if (attempt > 0 || api->GetOutputSampleFormat() == 1)
            return hr;
        api->SetOutputSampleFormat(1);
    }
}

HRESULT CGraphWorker::InsertConverter(IKsDShowSource* api, BOOL preview, ComRef<IPin>* current)
{
    WORD bits = 16;
    ComRef<IUnknown> attached;
    if (SUCCEEDED(api->GetEngine(attached.Out())) && attached) {
        ComRef<IMtTrackSet> set;
        if (SUCCEEDED(attached->QueryInterface(__uuidof(IMtTrackSet), set.OutVoid())))
            set->GetBitsPerSample(&bits);
    }
    const bool floatOutput = api->GetOutputSampleFormat() == 3;
    bool needed = floatOutput ? (bits == 16 || bits == 8) : bits == 32;
    WORD target = bits;
    if (preview && bits == 32) {
        needed = true;
        target = 16;
    }
    if (!needed)
        return S_OK;
    if (!converter) {
        HMODULE module = nullptr;
        ThrowIfFailed(
            CreateModuleObject("KvSEAttr.dll", CLSID_KvSEAttr, IID_IBaseFilter, converter.OutVoid(), &module));
        KeepModuleLoaded(module);
    }
    // Left in the graph by a run that failed before it connected.
    graph->RemoveFilter(converter.Get());
    ComRef<IAttributeSettings> settings;
    ThrowIfFailed(converter->QueryInterface(__uuidof(IAttributeSettings), settings.OutVoid()));
    // The last run's target must not refuse this run's input: follow the input until connected.
    ThrowIfFailed(settings->SetBitsPerSample(0));
    ThrowIfFailed(settings->SetChannels(0));
    ThrowIfFailed(settings->SetSamplesPerSec(0));
    ThrowIfFailed(graph->AddFilter(converter.Get(), nullptr));
    ComRef<IPin> in, out;
    ThrowIfFailed(FindPinByDirection(converter.Get(), PINDIR_INPUT, in.Out()));
    ThrowIfFailed(graph->ConnectDirect(current->Get(), in.Get(), nullptr));
    WAVEFORMATEX format{};
    if (!ConnectionFormat(in.Get(), &format))
        throw CKvSSException(E_FAIL);
    ThrowIfFailed(settings->SetBitsPerSample(target));
    ThrowIfFailed(settings->SetChannels(format.nChannels));
    ThrowIfFailed(settings->SetSamplesPerSec(format.nSamplesPerSec));
    ThrowIfFailed(FindPinByDirection(converter.Get(), PINDIR_OUTPUT, out.Out()));
    *current = out;
    return S_OK;
}

HRESULT CGraphWorker::BuildChain(BOOL preview)
{
    try {
        if (!graph || !source)
            throw CKvSSException(E_FAIL);
        ComRef<IKsDShowSource> api;
        ThrowIfFailed(source->QueryInterface(__uuidof(IKsDShowSource), api.OutVoid()));
        if (!chain.empty())
            api->SetOutputSampleFormat(3);
        ComRef<IPin> current;
        ThrowIfFailed(ConnectChain(api.Get(), &current));
        if (sinkChain)
            return S_OK;
        if (!sink)
            throw CKvSSException(E_FAIL);
        ComRef<IPin> sinkIn;
        ThrowIfFailed(FindPinByDirection(sink.Get(), PINDIR_INPUT, sinkIn.Out()));
        ThrowIfFailed(InsertConverter(api.Get(), preview, &current));
        return graph->ConnectDirect(current.Get(), sinkIn.Get(), nullptr);
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

HRESULT CGraphWorker::DisconnectChain()
{
    AutoLock hold(lock);
    if (!graph || !source)
        return S_OK;
    ComRef<IPin> sourceOut;
    HRESULT hr = FindPinByDirection(source.Get(), PINDIR_OUTPUT, sourceOut.Out());
    if (FAILED(hr))
        return hr;
    ComRef<IPin> peer;
    if (SUCCEEDED(sourceOut->ConnectedTo(peer.Out())))
        graph->Disconnect(sourceOut.Get());
    if (sink) {
        ComRef<IPin> sinkIn;
        hr = FindPinByDirection(sink.Get(), PINDIR_INPUT, sinkIn.Out());
        if (FAILED(hr))
            return hr;
        ComRef<IPin> upstream;
        if (SUCCEEDED(sinkIn->ConnectedTo(upstream.Out())) && upstream) {
            graph->Disconnect(sinkIn.Get());
            PIN_INFO info{};
            if (SUCCEEDED(upstream->QueryPinInfo(&info)) && info.pFilter) {
                ComRef<IBaseFilter> other(info.pFilter);
                bool ours = other.Get() == source.Get() || other.Get() == sink.Get();
                for (const ChainEntry& entry : chain)
                    ours = ours || entry.filter.Get() == other.Get();
                graph->Disconnect(upstream.Get());
                if (!ours) {
                    // The converter the chain put in: its input goes too, then the filter.
                    ComRef<IPin> otherIn;
                    if (SUCCEEDED(FindPinByDirection(other.Get(), PINDIR_INPUT, otherIn.Out()))) {
                        ComRef<IPin> feeding;
                        if (SUCCEEDED(otherIn->ConnectedTo(feeding.Out())) && feeding)
                            graph->Disconnect(feeding.Get());
                        graph->Disconnect(otherIn.Get());
                    }
                    graph->RemoveFilter(other.Get());
                }
            }
        }
    }
    for (ChainEntry& entry : chain) {
        DisconnectPin(graph.Get(), entry.input.Get());
        DisconnectPin(graph.Get(), entry.output.Get());
    }
    return S_OK;
}

HRESULT CGraphWorker::RemoveEffectFilters()
{
    for (ChainEntry& entry : chain) {
        entry.input.Reset();
        entry.output.Reset();
        if (graph && entry.filter)
            graph->RemoveFilter(entry.filter.Get());
        entry.filter.Reset();
    }
    chain.clear();
    return S_OK;
}

bool CGraphWorker::ChainNeedsTwoChannels() const
{
    for (const ChainEntry& entry : chain)
        if (entry.channelNeed == 2)
            return true;
    return false;
}

HRESULT CGraphWorker::BuildEngineSourceGraph()
{
    HRESULT hr =
        ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.OutVoid());
    if (FAILED(hr))
        return hr;
    ComRef<IUnknown> created;
    HMODULE module = nullptr;
    hr = CreateModuleObject("KsDShowSrc.dll", CLSID_KsDShowSrc, __uuidof(IKsDShowSource), created.OutVoid(), &module);
    KeepModuleLoaded(module);
    if (SUCCEEDED(hr) && !created)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = created->QueryInterface(IID_IBaseFilter, source.OutVoid());
    if (FAILED(hr)) {
        graph.Reset();
        return hr;
    }
    return graph->AddFilter(source.Get(), nullptr);
}

void CGraphWorker::AttachEngineSource(IMtTrackSet* engine, LONG mix, LONG live)
{
    ComRef<IKsDShowSource> api;
    ThrowIfFailed(source->QueryInterface(__uuidof(IKsDShowSource), api.OutVoid()));
    ThrowIfFailed(api->AttachEngine(engine, mix, live));
    api->SetOutputSampleFormat(3);
}

void CGraphWorker::UseNullRenderer()
{
    ComRef<IBaseFilter> renderer;
    ThrowIfFailed(
        ::CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, renderer.OutVoid()));
    ReplaceSink(renderer.Get());
    // Without a clock the run goes as fast as the filters allow.
    ComRef<IMediaFilter> timing;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaFilter, timing.OutVoid())))
        timing->SetSyncSource(nullptr);
}

void CGraphWorker::UseAudioRenderer()
{
    ComRef<IBaseFilter> renderer;
    ThrowIfFailed(CreateAudioRendererFilter(renderer.Out()));
    ReplaceSink(renderer.Get());
    ComRef<IFilterGraph> filterGraph;
    if (SUCCEEDED(graph->QueryInterface(IID_IFilterGraph, filterGraph.OutVoid())))
        filterGraph->SetDefaultSyncSource();
}

void CGraphWorker::TakeDownChain()
{
    StopGraph(0);
    DisconnectChain();
    RemoveEffectFilters();
}
