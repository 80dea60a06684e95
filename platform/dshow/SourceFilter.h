// SourceFilter: one output pin "Out" fed by a streaming thread that runs from pause (out of
// stopped) until the end of the stream, an error, or Stop. The thread asks FillBuffer for each
// sample; S_FALSE from FillBuffer ends the stream with end-of-stream downstream, a failure
// ends it with EC_ERRORABORT. Stop decommits the allocator and joins the thread, holding the
// state change lock but not the state lock, so that the thread (or a seeking question it
// causes) may still take the state lock on its way out.
#pragma once
#include "BaseFilter.h"

#include <atomic>

struct SourceFilter : BaseFilter {
    SourceFilter();
    ~SourceFilter() override;

    OutputPin* Output() const { return m_output; }

protected:
    virtual HRESULT GetMediaType(int i, MediaType& mt) = 0;
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) = 0;
    virtual HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) = 0;
    // Fills one sample (data, actual length, times). S_OK delivers it, S_FALSE ends the stream.
    virtual HRESULT FillBuffer(IMediaSample* sample) = 0;
    // On the streaming thread before the first and after the last sample.
    virtual HRESULT OnThreadStart() { return S_OK; }
    virtual void OnThreadStop() {}
    bool StopRequested() const { return m_stopRequested; }

    // BaseFilter hooks
    HRESULT PinCheckMediaType(BasePin* pin, const AM_MEDIA_TYPE& mt) override;
    HRESULT PinGetMediaType(BasePin* pin, int i, MediaType& mt) override;
    HRESULT PinDecideBufferSize(OutputPin* pin, IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    HRESULT OnPause(FILTER_STATE from) override;
    void OnStop() override;
    bool StopTakesStreamLock() const override { return false; }

private:
    static DWORD WINAPI ThreadProc(void* self);
    void Stream();
    void JoinThread();

    OutputPin* m_output;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_stopRequested{false};
};

KV_FILTER_KIND(SourceFilter)
