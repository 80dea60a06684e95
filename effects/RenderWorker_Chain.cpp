// The effect chain: filters entering it, its connection between the source and the sink (with
// the attribute module's converter where the formats differ), a run to the end with progress
// and cancel, and taking it apart again.
#include "RenderWorker.h"

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

constexpr UINT kIdsProcessing = 20346;   // "Processing..."
constexpr UINT kIdsPleaseWait = 20497;   // "Please wait.\nThis operation may take more than a minute."
constexpr unsigned kRowDelay = 9;        // lengthening effects
constexpr unsigned kRowReverb = 10;
constexpr unsigned kRowNoiseProfile = 20;

std::string ResourceText(UINT id, const char* fallback)
{
    char text[320];
    if (::LoadStringA(GetResourceModule(), id, text, sizeof text) > 0)
        return text;
    return fallback;
}

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

HRESULT CRenderWorker::AddEffectFilter(IUnknown* filter, BOOL sinkChainFlag)
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

HRESULT CRenderWorker::ConnectChain(IKsDShowSource* api, ComRef<IPin>* current)
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

HRESULT CRenderWorker::InsertConverter(IKsDShowSource* api, BOOL preview, ComRef<IPin>* current)
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
    ComRef<IBaseFilter> converter;
    ThrowIfFailed(CreateModuleObject("KvSEAttr.dll", CLSID_KvSEAttr, IID_IBaseFilter, converter.OutVoid()));
    ThrowIfFailed(graph->AddFilter(converter.Get(), nullptr));
    ComRef<IPin> in, out;
    ThrowIfFailed(FindPinByDirection(converter.Get(), PINDIR_INPUT, in.Out()));
    ThrowIfFailed(graph->ConnectDirect(current->Get(), in.Get(), nullptr));
    WAVEFORMATEX format{};
    if (!ConnectionFormat(in.Get(), &format))
        throw CKvSSException(E_FAIL);
    ComRef<IAttributeSettings> settings;
    ThrowIfFailed(converter->QueryInterface(__uuidof(IAttributeSettings), settings.OutVoid()));
    ThrowIfFailed(settings->SetBitsPerSample(target));
    ThrowIfFailed(settings->SetChannels(format.nChannels));
    ThrowIfFailed(settings->SetSamplesPerSec(format.nSamplesPerSec));
    ThrowIfFailed(FindPinByDirection(converter.Get(), PINDIR_OUTPUT, out.Out()));
    *current = out;
    return S_OK;
}

HRESULT CRenderWorker::BuildChain(BOOL preview)
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

HRESULT CRenderWorker::RunGraph()
{
    ComRef<IMediaControl> control;
    ComRef<IMediaEvent> events;
    ComRef<IMediaSeeking> seeking;
    if (!graph)
        return E_FAIL;
    HRESULT hr = graph->QueryInterface(IID_IMediaControl, control.OutVoid());
    if (SUCCEEDED(hr))
        hr = graph->QueryInterface(IID_IMediaEvent, events.OutVoid());
    if (SUCCEEDED(hr)) {
        IUnknown* seekable = sink ? static_cast<IUnknown*>(sink.Get()) : static_cast<IUnknown*>(graph.Get());
        hr = seekable->QueryInterface(IID_IMediaSeeking, seeking.OutVoid());
    }
    if (FAILED(hr))
        return hr;
    hr = control->Run();
    if (FAILED(hr))
        return hr;

    const std::string processing = ResourceText(kIdsProcessing, "Processing...");
    const std::string waiting = ResourceText(kIdsPleaseWait, "Please wait.\nThis operation may take more than a minute.");
    LONGLONG duration = 0;
    seeking->GetDuration(&duration);
    LONG percent = 0;
    enum class End { Complete, Error, UserAbort } end = End::UserAbort;
    HRESULT errorCode = S_OK;
    bool cancelled = false;
    for (;;) {
        long code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        HRESULT got = events->GetEvent(&code, &p1, &p2, 500);
        if (SUCCEEDED(got)) {
            events->FreeEventParams(code, p1, p2);
            if (code == EC_COMPLETE) {
                end = End::Complete;
                break;
            }
            if (code == EC_ERRORABORT) {
                end = End::Error;
                errorCode = static_cast<HRESULT>(p1);
                break;
            }
            if (code == EC_USERABORT)
                break;
            continue;
        }
        // A graph that stopped without any event ends as a cancel.
        OAFilterState graphState = State_Running;
        if (control->GetState(10, &graphState) == S_OK && graphState == State_Stopped)
            break;
        LONGLONG position = 0;
        seeking->GetCurrentPosition(&position);
        percent = ProgressPercent(position, duration);
        LONG cancel = 0;
        if (plainProgress)
            SendProgress(2, nullptr, percent, 0, &cancel);
        else if (percent < 100)
            SendProgress(2, processing.c_str(), percent, 0, &cancel);
        else
            SendProgress(2, waiting.c_str(), percent, 1, &cancel);
        if (cancel) {
            cancelled = true;
            break;
        }
    }
    LONG ignored = 0;
    if (plainProgress)
        ; // no last update
    else if (cancelled)
        SendProgress(2, waiting.c_str(), percent, 1, &ignored);
    else
        SendProgress(2, processing.c_str(), end == End::Complete ? 100 : percent, 0, &ignored);
    switch (end) {
    case End::Complete:
        control->StopWhenReady();
        hr = S_OK;
        break;
    case End::Error:
        control->Stop();
        hr = FAILED(errorCode) ? errorCode : E_FAIL;
        break;
    default:
        control->Stop();
        hr = kRenderCancelled;
        break;
    }
    WaitForFiltersStopped();
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK)
        events->FreeEventParams(code, p1, p2);
    return hr;
}

void CRenderWorker::WaitForFiltersStopped()
{
    for (IBaseFilter* filter : {source.Get(), sink.Get()}) {
        if (!filter)
            continue;
        for (;;) {
            FILTER_STATE filterState = State_Running;
            HRESULT hr = filter->GetState(100, &filterState);
            if (FAILED(hr) || filterState == State_Stopped)
                break;
            ::Sleep(10);
        }
    }
}

HRESULT CRenderWorker::DisconnectChain()
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

HRESULT CRenderWorker::RemoveEffectFilters()
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

bool CRenderWorker::ChainNeedsTwoChannels() const
{
    for (const ChainEntry& entry : chain)
        if (entry.channelNeed == 2)
            return true;
    return false;
}

bool CRenderWorker::GraphHasClass(const CLSID& id)
{
    ComRef<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(filters.Out())))
        return false;
    ComRef<IBaseFilter> filter;
    while (filters->Next(1, filter.Out(), nullptr) == S_OK) {
        CLSID classId;
        if (SUCCEEDED(filter->GetClassID(&classId)) && classId == id)
            return true;
    }
    return false;
}

bool CRenderWorker::GraphHasLengtheningEffect()
{
    return GraphHasClass(GetEffectModuleEntry(kRowDelay)->classId) ||
           GraphHasClass(GetEffectModuleEntry(kRowReverb)->classId);
}

bool CRenderWorker::GraphHasNoiseProfileLearner()
{
    return GraphHasClass(GetEffectModuleEntry(kRowNoiseProfile)->classId);
}
