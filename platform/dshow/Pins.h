// Pins of the base layer. A pin belongs to a BaseFilter, which holds one reference to it and
// answers the pin's hooks (BaseFilter::Pin...). A pin reaches its filter by a plain pointer that
// the filter clears when it goes, so a pin held beyond its filter answers VFW_E_NOT_CONNECTED
// or E_UNEXPECTED instead of touching freed memory.
//
//   InputPin: IPin + IMemInputPin; accepts connections through PinCheckMediaType, hands samples,
//             end of stream, flushes and new segments to the filter's hooks.
//   OutputPin: IPin + IMediaSeeking (forwarded through PinUpstreamSeeking); connects with its own
//             types first (PinGetMediaType), then the receiver's; decides the allocator with
//             PinDecideBufferSize; commits it on Active and decommits it on Inactive.
#pragma once
#include "ComObject.h"
#include "Lock.h"
#include "MediaType.h"
#include "SeekingPassThru.h"

#include <strmif.h>

#include <string>

struct BaseFilter;

// Shared half of both pins (IUnknown comes from ComObject in the concrete pin).
struct BasePin : IPin {
    virtual ~BasePin() = default;

    // Called by the filter as it goes away; the pin then refuses calls that need it.
    void Detach() { m_filter = nullptr; }
    bool IsConnected() const { return m_peer != nullptr; }
    IPin* Peer() const { return m_peer; } // no reference
    const MediaType& CurrentMediaType() const { return m_mt; }
    PIN_DIRECTION Direction() const { return m_dir; }
    const std::wstring& Name() const { return m_name; }
    BaseFilter* Filter() const { return m_filter; }

    virtual HRESULT Active() { return S_OK; }   // stopped -> paused
    virtual HRESULT Inactive() { return S_OK; } // -> stopped

    // IPin (shared parts)
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** e) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

protected:
    void Init(BaseFilter* filter, const wchar_t* name, PIN_DIRECTION dir);
    // Drops the peer and the media type (lock held by the caller).
    void ClearConnection();
    // Sets peer and type; the caller undoes with ClearConnection on failure.
    void SetConnection(IPin* peer, const AM_MEDIA_TYPE& mt);
    bool FilterStopped() const;

    BaseFilter* m_filter = nullptr;
    std::wstring m_name;
    PIN_DIRECTION m_dir = PINDIR_INPUT;
    IPin* m_peer = nullptr;
    MediaType m_mt;
    REFERENCE_TIME m_segStart = 0, m_segStop = 0;
    double m_segRate = 1.0;
};

template <>
inline const IID& kvcom::InterfaceIdOf<BasePin>()
{
    return IID_IPin;
}

class InputPin : public ComObject<BasePin, IMemInputPin> {
public:
    InputPin(BaseFilter* filter, const wchar_t* name);
    ~InputPin() override;

    bool IsFlushing() const { return m_flushing; }
    bool AtEndOfStream() const { return m_eos; }
    IMemAllocator* Allocator() const { return m_allocator; } // no reference

    HRESULT Active() override;
    HRESULT Inactive() override;

    // IPin
    STDMETHODIMP Connect(IPin* receive, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** alloc) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* alloc, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, LONG count, LONG* done) override;
    STDMETHODIMP ReceiveCanBlock() override;

private:
    IMemAllocator* m_allocator = nullptr;
    volatile bool m_flushing = false;
    volatile bool m_eos = false;
};

class OutputPin : public ComObject<BasePin, SeekingPassThru> {
public:
    OutputPin(BaseFilter* filter, const wchar_t* name);
    ~OutputPin() override;

    HRESULT Active() override;
    HRESULT Inactive() override;

    // Streaming side, called by the owning filter.
    HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start = nullptr, REFERENCE_TIME* stop = nullptr,
                              DWORD flags = 0);
    HRESULT Deliver(IMediaSample* sample);
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);
    IMemAllocator* Allocator() const { return m_allocator; } // no reference

    // IPin
    STDMETHODIMP Connect(IPin* receive, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
    STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }

    // SeekingPassThru
    IMediaSeeking* UpstreamSeeking() override;

private:
    HRESULT TryConnect(IPin* receive, const AM_MEDIA_TYPE& mt);
    HRESULT DecideAllocator(IMemInputPin* input);
    HRESULT InitAllocator(IMemInputPin* input, IMemAllocator* alloc, const ALLOCATOR_PROPERTIES& wanted);
    void ReleaseStreamingInterfaces();

    IMemInputPin* m_memInput = nullptr;
    IMemAllocator* m_allocator = nullptr;
};
