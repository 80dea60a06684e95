#include "MemAllocator.h"

#include "MediaType.h"

#include <vfwmsgs.h>

#include <atomic>
#include <cstdlib>

// One buffer of the pool. Not a ComObject: its last Release hands it back, it is not deleted.
class MediaSample : public IMediaSample {
public:
    MediaSample(MemAllocator* owner, uint8_t* data, long size) : m_owner(owner), m_data(data), m_size(size) {}
    ~MediaSample() { ClearType(); }

    // Fresh state for a hand-out, with the one reference the caller gets.
    void HandOut()
    {
        m_refs = 1;
        m_flags = 0;
        m_actual = m_size;
        ClearType();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IMediaSample) {
            *ppv = static_cast<IMediaSample*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const long n = --m_refs;
        if (n == 0) {
            MemAllocator* owner = m_owner;
            owner->Return(this);
            owner->Release(); // the hold taken when the sample went out
        }
        return static_cast<ULONG>(n);
    }

    STDMETHODIMP GetPointer(BYTE** buffer) override
    {
        if (!buffer)
            return E_POINTER;
        *buffer = m_data;
        return S_OK;
    }
    STDMETHODIMP_(long) GetSize() override { return m_size; }
    STDMETHODIMP GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override
    {
        if (!start || !end)
            return E_POINTER;
        if (!(m_flags & kStart))
            return VFW_E_SAMPLE_TIME_NOT_SET;
        *start = m_start;
        if (!(m_flags & kStop)) {
            *end = m_start + 1;
            return VFW_S_NO_STOP_TIME;
        }
        *end = m_end;
        return S_OK;
    }
    STDMETHODIMP SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override
    {
        m_flags &= ~(kStart | kStop);
        if (start) {
            m_start = *start;
            m_flags |= kStart;
            if (end) {
                m_end = *end;
                m_flags |= kStop;
            }
        }
        return S_OK;
    }
    STDMETHODIMP IsSyncPoint() override { return (m_flags & kSync) ? S_OK : S_FALSE; }
    STDMETHODIMP SetSyncPoint(BOOL on) override { return Set(kSync, on); }
    STDMETHODIMP IsPreroll() override { return (m_flags & kPreroll) ? S_OK : S_FALSE; }
    STDMETHODIMP SetPreroll(BOOL on) override { return Set(kPreroll, on); }
    STDMETHODIMP_(long) GetActualDataLength() override { return m_actual; }
    STDMETHODIMP SetActualDataLength(long length) override
    {
        if (length < 0 || length > m_size)
            return VFW_E_BUFFER_OVERFLOW;
        m_actual = length;
        return S_OK;
    }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override
    {
        if (!type)
            return E_POINTER;
        *type = nullptr;
        if (!m_type)
            return S_FALSE;
        *type = CreateMediaTypeCopy(m_type);
        return *type ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE* type) override
    {
        ClearType();
        if (!type)
            return S_OK;
        m_type = CreateMediaTypeCopy(type);
        return m_type ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP IsDiscontinuity() override { return (m_flags & kDiscontinuity) ? S_OK : S_FALSE; }
    STDMETHODIMP SetDiscontinuity(BOOL on) override { return Set(kDiscontinuity, on); }
    STDMETHODIMP GetMediaTime(LONGLONG* start, LONGLONG* end) override
    {
        if (!start || !end)
            return E_POINTER;
        if (!(m_flags & kMediaTime))
            return VFW_E_MEDIA_TIME_NOT_SET;
        *start = m_mediaStart;
        *end = m_mediaEnd;
        return S_OK;
    }
    STDMETHODIMP SetMediaTime(LONGLONG* start, LONGLONG* end) override
    {
        if (!start || !end) {
            m_flags &= ~kMediaTime;
            return S_OK;
        }
        m_mediaStart = *start;
        m_mediaEnd = *end;
        m_flags |= kMediaTime;
        return S_OK;
    }

private:
    enum : unsigned {
        kStart = 1,
        kStop = 2,
        kSync = 4,
        kPreroll = 8,
        kDiscontinuity = 16,
        kMediaTime = 32,
    };
    HRESULT Set(unsigned flag, BOOL on)
    {
        m_flags = on ? (m_flags | flag) : (m_flags & ~flag);
        return S_OK;
    }
    void ClearType()
    {
        if (m_type)
            DeleteMediaType(m_type);
        m_type = nullptr;
    }

    MemAllocator* const m_owner;
    uint8_t* const m_data;
    const long m_size;
    std::atomic<long> m_refs{0};
    unsigned m_flags = 0;
    long m_actual = 0;
    REFERENCE_TIME m_start = 0, m_end = 0;
    LONGLONG m_mediaStart = 0, m_mediaEnd = 0;
    AM_MEDIA_TYPE* m_type = nullptr;
};

HRESULT MemAllocator::Create(IMemAllocator** out)
{
    if (!out)
        return E_POINTER;
    *out = ComObject<IMemAllocator>::Create<MemAllocator>();
    return *out ? S_OK : E_OUTOFMEMORY;
}

MemAllocator::MemAllocator()
{
    InitializeCriticalSection(&m_lock);
    InitializeConditionVariable(&m_returned);
}

MemAllocator::~MemAllocator()
{
    // Every sample held us, so none is out by now.
    FreeBuffers();
    DeleteCriticalSection(&m_lock);
}

STDMETHODIMP MemAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual)
{
    if (!request || !actual)
        return E_POINTER;
    if (request->cbAlign <= 0 || (request->cbAlign & (request->cbAlign - 1)) != 0)
        return VFW_E_BADALIGN;
    if (request->cBuffers < 0 || request->cbBuffer < 0 || request->cbPrefix < 0)
        return E_INVALIDARG;
    EnterCriticalSection(&m_lock);
    HRESULT hr = S_OK;
    if (m_committed)
        hr = VFW_E_ALREADY_COMMITTED;
    else if (m_outstanding)
        hr = VFW_E_BUFFERS_OUTSTANDING;
    if (hr == S_OK) {
        FreeBuffers();
        const long align = request->cbAlign;
        // The buffer, prefix included, keeps the alignment from one buffer to the next.
        const long long whole = (static_cast<long long>(request->cbBuffer) + request->cbPrefix + align - 1) / align * align;
        if (whole > 0x7FFFFFFF)
            hr = E_OUTOFMEMORY;
        else {
            m_props = *request;
            m_props.cbBuffer = static_cast<long>(whole) - request->cbPrefix;
            *actual = m_props;
        }
    }
    LeaveCriticalSection(&m_lock);
    return hr;
}

STDMETHODIMP MemAllocator::GetProperties(ALLOCATOR_PROPERTIES* props)
{
    if (!props)
        return E_POINTER;
    EnterCriticalSection(&m_lock);
    *props = m_props;
    LeaveCriticalSection(&m_lock);
    return S_OK;
}

STDMETHODIMP MemAllocator::Commit()
{
    EnterCriticalSection(&m_lock);
    HRESULT hr = S_OK;
    if (m_props.cBuffers == 0 || m_props.cbBuffer == 0) {
        hr = VFW_E_SIZENOTSET;
    } else if (!m_memory) {
        const size_t stride = static_cast<size_t>(m_props.cbBuffer) + static_cast<size_t>(m_props.cbPrefix);
        const size_t align = static_cast<size_t>(m_props.cbAlign);
        m_memory = static_cast<uint8_t*>(_aligned_malloc(stride * static_cast<size_t>(m_props.cBuffers), align));
        if (!m_memory) {
            hr = E_OUTOFMEMORY;
        } else {
            m_samples.reserve(static_cast<size_t>(m_props.cBuffers));
            for (long i = 0; i < m_props.cBuffers; ++i) {
                uint8_t* data = m_memory + stride * static_cast<size_t>(i) + static_cast<size_t>(m_props.cbPrefix);
                m_samples.push_back(std::make_unique<MediaSample>(this, data, m_props.cbBuffer));
                m_free.push_back(m_samples.back().get());
            }
        }
    }
    if (hr == S_OK)
        m_committed = true;
    LeaveCriticalSection(&m_lock);
    return hr;
}

STDMETHODIMP MemAllocator::Decommit()
{
    EnterCriticalSection(&m_lock);
    m_committed = false;
    // Samples still out come back later; the buffers go with the last of them.
    if (m_outstanding == 0)
        FreeBuffers();
    LeaveCriticalSection(&m_lock);
    WakeAllConditionVariable(&m_returned);
    return S_OK;
}

STDMETHODIMP MemAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME*, REFERENCE_TIME*, DWORD flags)
{
    if (!sample)
        return E_POINTER;
    *sample = nullptr;
    EnterCriticalSection(&m_lock);
    HRESULT hr = S_OK;
    for (;;) {
        if (!m_committed) {
            hr = VFW_E_NOT_COMMITTED;
            break;
        }
        if (!m_free.empty())
            break;
        if (flags & AM_GBF_NOWAIT) {
            hr = VFW_E_TIMEOUT;
            break;
        }
        SleepConditionVariableCS(&m_returned, &m_lock, INFINITE);
    }
    MediaSample* got = nullptr;
    if (hr == S_OK) {
        got = m_free.back();
        m_free.pop_back();
        ++m_outstanding;
        got->HandOut();
    }
    LeaveCriticalSection(&m_lock);
    if (got) {
        AddRef(); // a sample out keeps its allocator
        *sample = got;
    }
    return hr;
}

// Samples come back by their own Release; a caller that hands one here means the same.
STDMETHODIMP MemAllocator::ReleaseBuffer(IMediaSample* sample)
{
    return sample ? S_OK : E_POINTER;
}

void MemAllocator::Return(MediaSample* sample)
{
    EnterCriticalSection(&m_lock);
    m_free.push_back(sample);
    --m_outstanding;
    if (!m_committed && m_outstanding == 0)
        FreeBuffers();
    LeaveCriticalSection(&m_lock);
    WakeConditionVariable(&m_returned);
}

void MemAllocator::FreeBuffers()
{
    m_free.clear();
    m_samples.clear();
    if (m_memory)
        _aligned_free(m_memory);
    m_memory = nullptr;
}
