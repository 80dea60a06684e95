#include "BaseFilter.h"

#include "Enumerators.h"

#include <control.h>

#include <cstring>

BaseFilter::BaseFilter() = default;

BaseFilter::~BaseFilter()
{
    for (BasePin* pin : m_pins) {
        pin->Detach();
        pin->Release();
    }
    if (m_clock)
        m_clock->Release();
}

void BaseFilter::AddPin(BasePin* pin)
{
    if (pin)
        m_pins.push_back(pin);
}

STDMETHODIMP BaseFilter::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = m_clsid;
    return S_OK;
}

STDMETHODIMP BaseFilter::Stop()
{
    AutoLock change(m_changeLock);
    {
        AutoLock lock(m_stateLock);
        if (m_state == State_Stopped)
            return S_OK;
        m_state = State_Stopped;
        // Decommitting the allocators first releases a streaming thread waiting for a buffer.
        for (BasePin* pin : m_pins)
            if (pin->IsConnected())
                pin->Inactive();
    }
    // The wait for the streaming side comes without the state lock, which that side may need
    // to finish (a question for the stop position at the end of the stream).
    if (StopTakesStreamLock()) {
        AutoLock stream(m_streamLock);
        OnStop();
    } else {
        OnStop();
    }
    return S_OK;
}

STDMETHODIMP BaseFilter::Pause()
{
    AutoLock change(m_changeLock);
    AutoLock lock(m_stateLock);
    FILTER_STATE from = m_state;
    if (from == State_Stopped) {
        for (BasePin* pin : m_pins) {
            if (!pin->IsConnected())
                continue;
            HRESULT hr = pin->Active();
            if (FAILED(hr)) {
                for (BasePin* other : m_pins)
                    if (other->IsConnected())
                        other->Inactive();
                return hr;
            }
        }
    }
    HRESULT hr = OnPause(from);
    if (FAILED(hr)) {
        if (from == State_Stopped)
            for (BasePin* pin : m_pins)
                if (pin->IsConnected())
                    pin->Inactive();
        return hr;
    }
    m_state = State_Paused;
    return hr;
}

STDMETHODIMP BaseFilter::Run(REFERENCE_TIME start)
{
    AutoLock change(m_changeLock);
    AutoLock lock(m_stateLock);
    if (m_state == State_Stopped) {
        HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    m_start = start;
    m_state = State_Running;
    return OnRun(start);
}

STDMETHODIMP BaseFilter::GetState(DWORD timeoutMs, FILTER_STATE* state)
{
    if (!state)
        return E_POINTER;
    *state = m_state;
    return StateReady(timeoutMs);
}

STDMETHODIMP BaseFilter::SetSyncSource(IReferenceClock* clock)
{
    AutoLock lock(m_stateLock);
    if (clock)
        clock->AddRef();
    if (m_clock)
        m_clock->Release();
    m_clock = clock;
    return S_OK;
}

STDMETHODIMP BaseFilter::GetSyncSource(IReferenceClock** clock)
{
    if (!clock)
        return E_POINTER;
    AutoLock lock(m_stateLock);
    *clock = m_clock;
    if (m_clock)
        m_clock->AddRef();
    return S_OK;
}

STDMETHODIMP BaseFilter::EnumPins(IEnumPins** e)
{
    if (!e)
        return E_POINTER;
    std::vector<IPin*> pins(m_pins.begin(), m_pins.end());
    *e = PinEnumerator::Create<PinEnumerator>(pins);
    return *e ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP BaseFilter::FindPin(LPCWSTR id, IPin** pin)
{
    if (!id || !pin)
        return E_POINTER;
    *pin = nullptr;
    for (BasePin* p : m_pins) {
        if (p->Name() == id) {
            *pin = p;
            p->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP BaseFilter::QueryFilterInfo(FILTER_INFO* info)
{
    if (!info)
        return E_POINTER;
    lstrcpynW(info->achName, m_name, MAX_FILTER_NAME);
    info->pGraph = m_graph;
    if (m_graph)
        m_graph->AddRef();
    return S_OK;
}

STDMETHODIMP BaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    AutoLock lock(m_stateLock);
    m_graph = graph; // the graph holds us; a reference back would keep both alive
    if (name)
        lstrcpynW(m_name, name, MAX_FILTER_NAME);
    else
        m_name[0] = 0;
    return S_OK;
}

STDMETHODIMP BaseFilter::QueryVendorInfo(LPWSTR*)
{
    return E_NOTIMPL;
}

HRESULT BaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2)
{
    IFilterGraph* graph = m_graph;
    if (!graph)
        return E_UNEXPECTED;
    IMediaEventSink* sink = nullptr;
    HRESULT hr = graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink));
    if (FAILED(hr))
        return hr;
    hr = sink->Notify(code, param1, param2);
    sink->Release();
    return hr;
}

HRESULT BaseFilter::PinDecideBufferSize(OutputPin*, IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    ALLOCATOR_PROPERTIES props = *wanted;
    if (props.cBuffers < 2)
        props.cBuffers = 2;
    if (props.cbBuffer < 65536)
        props.cbBuffer = 65536;
    if (props.cbAlign < 1)
        props.cbAlign = 1;
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = alloc->SetProperties(&props, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < props.cbBuffer ? E_FAIL : S_OK;
}
