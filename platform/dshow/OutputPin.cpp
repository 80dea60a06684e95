#include "Pins.h"

#include "BaseFilter.h"
#include "MemAllocator.h"

#include <uuids.h>

namespace {

bool MatchesPartial(const AM_MEDIA_TYPE& mt, const AM_MEDIA_TYPE* partial)
{
    if (!partial)
        return true;
    return (partial->majortype == GUID_NULL || partial->majortype == mt.majortype) &&
           (partial->subtype == GUID_NULL || partial->subtype == mt.subtype) &&
           (partial->formattype == GUID_NULL || partial->formattype == mt.formattype);
}

bool IsFullType(const AM_MEDIA_TYPE* mt)
{
    return mt && mt->majortype != GUID_NULL && mt->subtype != GUID_NULL && mt->formattype != GUID_NULL;
}

} // namespace

OutputPin::OutputPin(BaseFilter* filter, const wchar_t* name)
{
    Init(filter, name, PINDIR_OUTPUT);
}

OutputPin::~OutputPin()
{
    ReleaseStreamingInterfaces();
    ClearConnection();
}

void OutputPin::ReleaseStreamingInterfaces()
{
    if (m_memInput) {
        m_memInput->Release();
        m_memInput = nullptr;
    }
    if (m_allocator) {
        m_allocator->Release();
        m_allocator = nullptr;
    }
}

HRESULT OutputPin::Active()
{
    return m_allocator ? m_allocator->Commit() : VFW_E_NO_ALLOCATOR;
}

HRESULT OutputPin::Inactive()
{
    return m_allocator ? m_allocator->Decommit() : S_OK;
}

STDMETHODIMP OutputPin::Connect(IPin* receive, const AM_MEDIA_TYPE* mt)
{
    if (!receive)
        return E_POINTER;
    if (!m_filter)
        return E_UNEXPECTED;
    AutoLock change(m_filter->StateChangeLock());
    AutoLock lock(m_filter->StateLock());
    if (m_peer)
        return VFW_E_ALREADY_CONNECTED;
    if (!FilterStopped())
        return VFW_E_NOT_STOPPED;
    if (IsFullType(mt))
        return TryConnect(receive, *mt);

    HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int i = 0;; ++i) {
        MediaType own;
        if (m_filter->PinGetMediaType(this, i, own) != S_OK)
            break;
        if (!MatchesPartial(own.Get(), mt))
            continue;
        HRESULT hr = TryConnect(receive, own.Get());
        if (SUCCEEDED(hr))
            return hr;
        last = hr;
    }
    IEnumMediaTypes* types = nullptr;
    if (SUCCEEDED(receive->EnumMediaTypes(&types)) && types) {
        AM_MEDIA_TYPE* theirs = nullptr;
        HRESULT hr = E_FAIL;
        while (types->Next(1, &theirs, nullptr) == S_OK) {
            if (MatchesPartial(*theirs, mt) && m_filter->PinCheckMediaType(this, *theirs) == S_OK)
                hr = TryConnect(receive, *theirs);
            else
                hr = VFW_E_TYPE_NOT_ACCEPTED;
            DeleteMediaType(theirs);
            if (SUCCEEDED(hr))
                break;
            last = hr;
        }
        types->Release();
        if (SUCCEEDED(hr))
            return hr;
    }
    return last;
}

HRESULT OutputPin::TryConnect(IPin* receive, const AM_MEDIA_TYPE& mt)
{
    if (m_filter->PinCheckMediaType(this, mt) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    SetConnection(receive, mt);
    HRESULT hr = receive->ReceiveConnection(this, &mt);
    if (FAILED(hr)) {
        ClearConnection();
        return hr;
    }
    IMemInputPin* input = nullptr;
    hr = receive->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input));
    if (SUCCEEDED(hr)) {
        hr = DecideAllocator(input);
        if (SUCCEEDED(hr))
            m_memInput = input;
        else
            input->Release();
    }
    if (SUCCEEDED(hr))
        hr = m_filter->PinCompleteConnect(this, receive);
    if (FAILED(hr)) {
        receive->Disconnect();
        ReleaseStreamingInterfaces();
        ClearConnection();
        return hr;
    }
    return S_OK;
}

HRESULT OutputPin::DecideAllocator(IMemInputPin* input)
{
    ALLOCATOR_PROPERTIES wanted{};
    input->GetAllocatorRequirements(&wanted); // optional: zero means no wish
    IMemAllocator* alloc = nullptr;
    HRESULT hr = input->GetAllocator(&alloc);
    if (SUCCEEDED(hr)) {
        hr = InitAllocator(input, alloc, wanted);
        alloc->Release();
        if (SUCCEEDED(hr))
            return hr;
    }
    hr = MemAllocator::Create(&alloc);
    if (FAILED(hr))
        return hr;
    hr = InitAllocator(input, alloc, wanted);
    alloc->Release();
    return hr;
}

HRESULT OutputPin::InitAllocator(IMemInputPin* input, IMemAllocator* alloc, const ALLOCATOR_PROPERTIES& wanted)
{
    ALLOCATOR_PROPERTIES props = wanted;
    HRESULT hr = m_filter->PinDecideBufferSize(this, alloc, &props);
    if (FAILED(hr))
        return hr;
    hr = input->NotifyAllocator(alloc, FALSE);
    if (FAILED(hr))
        return hr;
    alloc->AddRef();
    if (m_allocator)
        m_allocator->Release();
    m_allocator = alloc;
    return S_OK;
}

STDMETHODIMP OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*)
{
    return E_UNEXPECTED;
}

STDMETHODIMP OutputPin::Disconnect()
{
    if (!m_filter)
        return S_FALSE;
    AutoLock change(m_filter->StateChangeLock()); // not beside a stop that is still winding down
    AutoLock lock(m_filter->StateLock());
    if (!FilterStopped())
        return VFW_E_NOT_STOPPED;
    if (!m_peer)
        return S_FALSE;
    if (m_allocator)
        m_allocator->Decommit();
    m_filter->PinBreakConnect(this);
    ReleaseStreamingInterfaces();
    ClearConnection();
    return S_OK;
}

HRESULT OutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags)
{
    if (!sample)
        return E_POINTER;
    *sample = nullptr;
    if (!m_allocator)
        return VFW_E_NO_ALLOCATOR;
    return m_allocator->GetBuffer(sample, start, stop, flags);
}

HRESULT OutputPin::Deliver(IMediaSample* sample)
{
    if (!m_memInput)
        return VFW_E_NOT_CONNECTED;
    return m_memInput->Receive(sample);
}

HRESULT OutputPin::DeliverEndOfStream()
{
    return m_peer ? m_peer->EndOfStream() : VFW_E_NOT_CONNECTED;
}
HRESULT OutputPin::DeliverBeginFlush()
{
    return m_peer ? m_peer->BeginFlush() : VFW_E_NOT_CONNECTED;
}
HRESULT OutputPin::DeliverEndFlush()
{
    return m_peer ? m_peer->EndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT OutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    BasePin::NewSegment(start, stop, rate);
    return m_peer ? m_peer->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

IMediaSeeking* OutputPin::UpstreamSeeking()
{
    return m_filter ? m_filter->PinUpstreamSeeking(this) : nullptr;
}
