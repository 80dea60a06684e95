#include "Pins.h"

#include "BaseFilter.h"
#include "MemAllocator.h"

#include <uuids.h>

InputPin::InputPin(BaseFilter* filter, const wchar_t* name)
{
    Init(filter, name, PINDIR_INPUT);
}

InputPin::~InputPin()
{
    ClearConnection();
    if (m_allocator)
        m_allocator->Release();
}

HRESULT InputPin::Active()
{
    m_flushing = false;
    m_eos = false;
    return S_OK;
}

HRESULT InputPin::Inactive()
{
    m_flushing = false;
    m_eos = false;
    return S_OK;
}

STDMETHODIMP InputPin::Connect(IPin*, const AM_MEDIA_TYPE*)
{
    return E_UNEXPECTED;
}

STDMETHODIMP InputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt)
{
    if (!connector || !mt)
        return E_POINTER;
    if (!m_filter)
        return E_UNEXPECTED;
    AutoLock change(m_filter->StateChangeLock());
    AutoLock lock(m_filter->StateLock());
    if (m_peer)
        return VFW_E_ALREADY_CONNECTED;
    if (!FilterStopped())
        return VFW_E_NOT_STOPPED;
    PIN_DIRECTION dir;
    if (FAILED(connector->QueryDirection(&dir)) || dir != PINDIR_OUTPUT)
        return VFW_E_INVALID_DIRECTION;
    if (m_filter->PinCheckMediaType(this, *mt) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    SetConnection(connector, *mt);
    HRESULT hr = m_filter->PinCompleteConnect(this, connector);
    if (FAILED(hr)) {
        ClearConnection();
        return hr;
    }
    return S_OK;
}

STDMETHODIMP InputPin::Disconnect()
{
    HRESULT hr = BasePin::Disconnect();
    if (hr == S_OK && m_allocator) {
        m_allocator->Release();
        m_allocator = nullptr;
    }
    return hr;
}

STDMETHODIMP InputPin::EndOfStream()
{
    if (!m_filter)
        return E_UNEXPECTED;
    AutoLock lock(m_filter->StreamLock());
    if (m_flushing)
        return S_FALSE;
    if (m_filter->State() == State_Stopped)
        return VFW_E_WRONG_STATE;
    m_eos = true;
    return m_filter->PinEndOfStream(this);
}

STDMETHODIMP InputPin::BeginFlush()
{
    if (!m_filter)
        return E_UNEXPECTED;
    // Not under the stream lock: a flush must get past a Receive that blocks downstream.
    m_flushing = true;
    return m_filter->PinBeginFlush(this);
}

STDMETHODIMP InputPin::EndFlush()
{
    if (!m_filter)
        return E_UNEXPECTED;
    AutoLock lock(m_filter->StreamLock());
    m_eos = false;
    HRESULT hr = m_filter->PinEndFlush(this);
    m_flushing = false;
    return hr;
}

STDMETHODIMP InputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    BasePin::NewSegment(start, stop, rate);
    if (!m_filter)
        return E_UNEXPECTED;
    AutoLock lock(m_filter->StreamLock());
    return m_filter->PinNewSegment(this, start, stop, rate);
}

STDMETHODIMP InputPin::GetAllocator(IMemAllocator** alloc)
{
    if (!alloc)
        return E_POINTER;
    *alloc = nullptr;
    if (!m_allocator) {
        HRESULT hr = MemAllocator::Create(&m_allocator);
        if (FAILED(hr))
            return hr;
    }
    *alloc = m_allocator;
    m_allocator->AddRef();
    return S_OK;
}

STDMETHODIMP InputPin::NotifyAllocator(IMemAllocator* alloc, BOOL)
{
    if (!alloc)
        return E_POINTER;
    alloc->AddRef();
    if (m_allocator)
        m_allocator->Release();
    m_allocator = alloc;
    return S_OK;
}

STDMETHODIMP InputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*)
{
    return E_NOTIMPL;
}

STDMETHODIMP InputPin::Receive(IMediaSample* sample)
{
    if (!sample)
        return E_POINTER;
    if (!m_filter)
        return E_UNEXPECTED;
    AutoLock lock(m_filter->StreamLock());
    if (m_flushing)
        return S_FALSE;
    if (m_filter->State() == State_Stopped)
        return VFW_E_WRONG_STATE;
    if (m_eos)
        return VFW_E_SAMPLE_REJECTED_EOS;
    AM_MEDIA_TYPE* changed = nullptr;
    if (sample->GetMediaType(&changed) == S_OK && changed) {
        HRESULT check = m_filter->PinCheckMediaType(this, *changed);
        if (check == S_OK)
            m_mt.Set(*changed);
        DeleteMediaType(changed);
        if (check != S_OK)
            return VFW_E_TYPE_NOT_ACCEPTED;
    }
    return m_filter->PinReceive(this, sample);
}

STDMETHODIMP InputPin::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* done)
{
    if (!samples || !done)
        return E_POINTER;
    *done = 0;
    HRESULT hr = S_OK;
    while (*done < count) {
        hr = Receive(samples[*done]);
        if (hr != S_OK)
            break;
        ++*done;
    }
    return hr;
}

STDMETHODIMP InputPin::ReceiveCanBlock()
{
    return S_OK;
}
