// SourceFilter: one output pin "Out" fed by a streaming thread that streams from pause (out of
// stopped) until the end of the stream, an error, or Stop. The thread asks FillBuffer for each
// sample; S_FALSE from FillBuffer ends the stream with end-of-stream downstream, a failure
// ends it with EC_ERRORABORT. Stop decommits the allocator and waits until the thread is idle
// again, holding the state change lock but not the state lock, so that the thread (or a
// seeking question it causes) may still take the state lock on its way out.
// The thread is made when the filter joins a graph (or at the first pause) and serves every
// run until the filter goes: under Wine a new thread took 20 to 45 ms to reach its first
// sample on a loaded machine, paid by every track of an apply. It is woken through a
// condition variable, which costs no server round trip.
#pragma once
#include "BaseFilter.h"

#include <atomic>

struct SourceFilter : BaseFilter {
    SourceFilter();
    ~SourceFilter() override;

    OutputPin* Output() const { return m_output; }

    // Joining a graph starts the streaming thread, so that it is up by the first run.
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

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
    HRESULT StartThread();
    static DWORD WINAPI ThreadProc(void* self);
    void ServeRuns();
    void Stream();
    // Until no run is waiting to start or streaming (m_runLock held).
    void WaitIdle();

    OutputPin* m_output;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_stopRequested{false};
    SRWLOCK m_runLock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_runChanged = CONDITION_VARIABLE_INIT;
    bool m_runPending = false; // a pause asked for a run the thread has not begun
    bool m_streaming = false;
    bool m_quit = false;
};

KV_FILTER_KIND(SourceFilter)
