#include "TrackRenderGraph.h"

#include "GraphHelpers.h"
#include "ITracksReaderSetup.h"
#include "ITracksWriterOutput.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"
#include "ModuleObjects.h"

#include <evcode.h>
#include <uuids.h>

#include <cmath>
#include <cstring>

namespace {

template <class T>
void ReleaseRef(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

// One reference held for the length of a call.
template <class T>
struct Held {
    T* p = nullptr;
    ~Held() { ReleaseRef(p); }
    void** Out() { return reinterpret_cast<void**>(&p); }
    T* operator->() const { return p; }
};

} // namespace

TrackRenderGraph::~TrackRenderGraph()
{
    ReleaseAll();
}

void TrackRenderGraph::ReleaseAll()
{
    if (control)
        control->Stop();
    ReleaseRef(control);
    ReleaseRef(events);
    ReleaseRef(seeking);
    ReleaseRef(writer);
    ReleaseRef(reader);
    ReleaseRef(graph);
    duration = 0;
}

HRESULT TrackRenderGraph::Build(IUnknown* trackSet, LONG outputChannels)
{
    ReleaseAll();
    try {
        if (!trackSet)
            throw CKvSSException(E_POINTER);
        ThrowIfFailed(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                       reinterpret_cast<void**>(&graph)));
        ThrowIfFailed(
            CreateModuleObject("KsTrksRd.dll", CLSID_KsTrksRd, IID_IBaseFilter, reinterpret_cast<void**>(&reader)));
        ThrowIfFailed(graph->AddFilter(reader, nullptr));
        {
            Held<ITracksReaderSetup> setup;
            ThrowIfFailed(reader->QueryInterface(__uuidof(ITracksReaderSetup), setup.Out()));
            setup->SetTrackSet(trackSet);
            ThrowIfFailed(setup->SetOutputChannels(outputChannels));
            setup->SetReadAutomation(1);
            setup->SetSwitch6(1);
            setup->SetSwitch7(1);
            setup->SetSwitch8(0);
            setup->SetSwitch9(0);
            setup->SetSwitch18(0);
        }
        ThrowIfFailed(
            CreateModuleObject("KsTrksWt.dll", CLSID_KsTrksWt, IID_IBaseFilter, reinterpret_cast<void**>(&writer)));
        ThrowIfFailed(graph->AddFilter(writer, nullptr));
        Held<IPin> out, in;
        ThrowIfFailed(FindPinByDirection(reader, PINDIR_OUTPUT, reinterpret_cast<IPin**>(out.Out())));
        ThrowIfFailed(FindPinByDirection(writer, PINDIR_INPUT, reinterpret_cast<IPin**>(in.Out())));
        ThrowIfFailed(graph->ConnectDirect(out.p, in.p, nullptr));
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

HRESULT TrackRenderGraph::Run()
{
    try {
        if (!graph || !writer)
            throw CKvSSException(E_UNEXPECTED);
        ReleaseRef(control);
        ReleaseRef(events);
        ReleaseRef(seeking);
        ThrowIfFailed(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)));
        ThrowIfFailed(graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)));
        HRESULT hr = control->Run();
        if (FAILED(hr)) {
            // The reader started though the writer could not: it stops here, not never.
            control->Stop();
            StopEveryFilter(graph);
            throw CKvSSException(hr);
        }
        ThrowIfFailed(writer->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)));
        duration = 0;
        seeking->GetDuration(&duration);
        return hr;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

long TrackRenderGraph::WaitEvent(LONG_PTR* param1, LONG_PTR* param2)
{
    if (param1)
        *param1 = 0;
    if (param2)
        *param2 = 0;
    if (!events || !control)
        return 0;
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    HRESULT hr = events->GetEvent(&code, &p1, &p2, 500);
    if (SUCCEEDED(hr)) {
        if (param1)
            *param1 = p1;
        if (param2)
            *param2 = p2;
        events->FreeEventParams(code, p1, p2);
        return code;
    }
    if (hr == E_ABORT) {
        OAFilterState state = State_Running;
        if (control->GetState(10, &state) == S_OK && state == State_Stopped)
            return EC_USERABORT;
    }
    return 0;
}

LONG TrackRenderGraph::ProgressPercent() const
{
    LONGLONG position = 0;
    if (!seeking || duration <= 0 || FAILED(seeking->GetCurrentPosition(&position)) || position <= 0)
        return 0;
    double percent = std::floor(double(position) / double(duration) * 100.0);
    return percent >= 100.0 ? 100 : LONG(percent);
}

HRESULT TrackRenderGraph::TakeOutput(IMtItemList* items, LONG trackId)
{
    if (!items)
        return S_OK;
    try {
        if (!writer)
            throw CKvSSException(E_UNEXPECTED);
        Held<ITracksWriterOutput> output;
        ThrowIfFailed(writer->QueryInterface(__uuidof(ITracksWriterOutput), output.Out()));
        MtFileItemRecord record;
        std::memset(&record, 0, sizeof(record));
        char peak[MAX_PATH] = {};
        ThrowIfFailed(output->GetDataFileName(record.path));
        ThrowIfFailed(output->GetPeakFileName(peak));
        if (!record.path[0])
            throw CKvSSException(E_UNEXPECTED); // no complete run wrote anything
        WAVEFORMATEX format;
        std::memset(&format, 0, sizeof(format));
        ThrowIfFailed(output->GetWaveFormat(&format));
        record.samplesPerSec = format.nSamplesPerSec;
        record.bitsPerSample = format.wBitsPerSample;
        record.channels = format.nChannels;
        return ThrowIfFailed(items->AddFileItem(&record, record.path, peak, trackId));
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}
