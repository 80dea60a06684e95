// BaseFilter: IBaseFilter with pins, states, clock and graph membership. A concrete filter
// derives from BaseFilter (or TransformFilter, SourceFilter, RendererFilter) and is made a COM
// object by FilterObject<Base, ExtraInterfaces...>, which also answers IMediaFilter, IPersist and
// whatever FindFilterInterface returns.
//
// Locks, taken in this order:
//   StateChangeLock() is held through a whole state change (Stop, Pause, Run) or connection
//     change, including Stop's wait for the streaming side; no streaming thread and no question
//     (seeking, connection queries) ever takes it.
//   StateLock() guards the state, the connections and what a question reads, for short spans;
//     it is never held while waiting for the streaming side, which may need it: a renderer at
//     the end of the stream asks upstream for the stop position on the streaming thread.
//   StreamLock() is held around every sample, end of stream and flush that reaches an input
//     pin, and by Stop while it calls OnStop, so OnStop never runs beside a Receive.
#pragma once
#include "ComObject.h"
#include "Lock.h"
#include "MediaType.h"
#include "Pins.h"

#include <strmif.h>

#include <vector>

struct BaseFilter : IBaseFilter {
    BaseFilter();
    virtual ~BaseFilter();

    // IPersist / IMediaFilter / IBaseFilter
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    STDMETHODIMP EnumPins(IEnumPins** e) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    CritSec& StateChangeLock() { return m_changeLock; }
    CritSec& StateLock() { return m_stateLock; }
    CritSec& StreamLock() { return m_streamLock; }
    FILTER_STATE State() const { return m_state; }
    REFERENCE_TIME StreamStartTime() const { return m_start; }
    IFilterGraph* Graph() const { return m_graph; } // no reference
    // Sends an event to the graph's IMediaEventSink (E_UNEXPECTED outside a graph).
    HRESULT NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);

    int PinCount() const { return static_cast<int>(m_pins.size()); }
    BasePin* PinAt(int i) const { return m_pins[i]; }

    // Further interfaces of this object (not reference-counted); FilterObject asks here.
    virtual void* FindFilterInterface(REFIID) { return nullptr; }

    // Pin hooks. Types are checked under the state lock; streaming hooks run under the stream lock.
    virtual HRESULT PinCheckMediaType(BasePin* pin, const AM_MEDIA_TYPE& mt) = 0;
    // The pin's i-th preferred type; VFW_S_NO_MORE_ITEMS past the end.
    virtual HRESULT PinGetMediaType(BasePin*, int, MediaType&) { return VFW_S_NO_MORE_ITEMS; }
    virtual HRESULT PinCompleteConnect(BasePin*, IPin*) { return S_OK; }
    virtual void PinBreakConnect(BasePin*) {}
    virtual HRESULT PinReceive(InputPin*, IMediaSample*) { return E_NOTIMPL; }
    virtual HRESULT PinEndOfStream(InputPin*) { return S_OK; }
    virtual HRESULT PinBeginFlush(InputPin*) { return S_OK; }
    virtual HRESULT PinEndFlush(InputPin*) { return S_OK; }
    virtual HRESULT PinNewSegment(InputPin*, REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }
    // Sets the allocator's properties (SetProperties) from the wanted ones, which may be zero.
    virtual HRESULT PinDecideBufferSize(OutputPin* pin, IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted);
    // The IMediaSeeking that an output pin forwards to (with a reference), or nullptr.
    virtual IMediaSeeking* PinUpstreamSeeking(OutputPin*) { return nullptr; }

protected:
    // Takes over one reference to pin; pins live as long as the filter.
    void AddPin(BasePin* pin);
    void SetClassId(const CLSID& clsid) { m_clsid = clsid; }

    // State hooks, called under the state lock after the pins changed state.
    virtual HRESULT OnPause(FILTER_STATE from)
    {
        (void)from;
        return S_OK;
    }
    virtual HRESULT OnRun(REFERENCE_TIME start)
    {
        (void)start;
        return S_OK;
    }
    // Called when going to stopped, after the state is stopped and the pins went inactive,
    // under the state change lock but not the state lock, with the stream lock held unless
    // StopTakesStreamLock() is false (a source joins its thread there instead).
    virtual void OnStop() {}
    virtual bool StopTakesStreamLock() const { return true; }
    // GetState's answer for a settled state; a renderer may answer VFW_S_STATE_INTERMEDIATE.
    virtual HRESULT StateReady(DWORD) { return S_OK; }

    CritSec m_changeLock;
    CritSec m_stateLock;
    CritSec m_streamLock;
    FILTER_STATE m_state = State_Stopped;

private:
    CLSID m_clsid = GUID_NULL;
    std::vector<BasePin*> m_pins;
    IFilterGraph* m_graph = nullptr;
    IReferenceClock* m_clock = nullptr;
    REFERENCE_TIME m_start = 0;
    WCHAR m_name[MAX_FILTER_NAME] = {};
};

// Lets ComObject<Kind, ...> answer IID_IBaseFilter with a filter base class.
#define KV_FILTER_KIND(Kind)                       \
    template <>                                    \
    inline const IID& kvcom::InterfaceIdOf<Kind>() \
    {                                              \
        return IID_IBaseFilter;                    \
    }

KV_FILTER_KIND(BaseFilter)

// The COM object for a filter class Base (BaseFilter or one of its kinds) with further
// interfaces Extra... that the final class implements. Base is default-constructed; each kind
// of filter declares InterfaceIdOf<Kind> as IID_IBaseFilter (see KV_FILTER_KIND).
template <class Base, class... Extra>
class FilterObject : public ComObject<Base, Extra...> {
protected:
    void* QueryExtraInterface(REFIID iid) override
    {
        if (iid == IID_IMediaFilter || iid == IID_IPersist)
            return static_cast<IBaseFilter*>(static_cast<Base*>(this));
        return this->FindFilterInterface(iid);
    }
};
