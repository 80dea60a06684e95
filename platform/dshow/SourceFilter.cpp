#include "SourceFilter.h"

SourceFilter::SourceFilter()
{
    m_output = OutputPin::Create<OutputPin>(this, L"Out");
    AddPin(m_output);
}

SourceFilter::~SourceFilter()
{
    if (!m_thread)
        return;
    AcquireSRWLockExclusive(&m_runLock);
    m_stopRequested = true;
    m_runPending = false;
    WaitIdle();
    m_quit = true;
    ReleaseSRWLockExclusive(&m_runLock);
    WakeAllConditionVariable(&m_runChanged);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
}

HRESULT SourceFilter::PinCheckMediaType(BasePin*, const AM_MEDIA_TYPE& mt)
{
    return CheckMediaType(mt);
}

HRESULT SourceFilter::PinGetMediaType(BasePin*, int i, MediaType& mt)
{
    return GetMediaType(i, mt);
}

HRESULT SourceFilter::PinDecideBufferSize(OutputPin*, IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    return DecideBufferSize(alloc, wanted);
}

STDMETHODIMP SourceFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    HRESULT hr = BaseFilter::JoinFilterGraph(graph, name);
    if (SUCCEEDED(hr) && graph)
        StartThread(); // a failure is met again at the first pause
    return hr;
}

HRESULT SourceFilter::StartThread()
{
    AutoLock lock(m_stateLock);
    if (!m_thread)
        m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
    return m_thread ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

HRESULT SourceFilter::OnPause(FILTER_STATE from)
{
    if (from != State_Stopped || !m_output->IsConnected())
        return S_OK;
    HRESULT hr = StartThread();
    if (FAILED(hr))
        return hr;
    AcquireSRWLockExclusive(&m_runLock);
    WaitIdle();
    m_stopRequested = false;
    m_runPending = true;
    ReleaseSRWLockExclusive(&m_runLock);
    WakeAllConditionVariable(&m_runChanged);
    return S_OK;
}

void SourceFilter::OnStop()
{
    AcquireSRWLockExclusive(&m_runLock);
    m_stopRequested = true;
    m_runPending = false; // a run not yet begun never begins
    WaitIdle();
    ReleaseSRWLockExclusive(&m_runLock);
}

void SourceFilter::WaitIdle()
{
    while (m_runPending || m_streaming)
        SleepConditionVariableSRW(&m_runChanged, &m_runLock, INFINITE, 0);
}

DWORD WINAPI SourceFilter::ThreadProc(void* self)
{
    HRESULT co = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<SourceFilter*>(self)->ServeRuns();
    if (SUCCEEDED(co))
        CoUninitialize();
    return 0;
}

void SourceFilter::ServeRuns()
{
    AcquireSRWLockExclusive(&m_runLock);
    for (;;) {
        while (!m_runPending && !m_quit)
            SleepConditionVariableSRW(&m_runChanged, &m_runLock, INFINITE, 0);
        if (m_quit)
            break;
        m_runPending = false;
        m_streaming = true;
        ReleaseSRWLockExclusive(&m_runLock);
        try {
            Stream();
        } catch (...) {
            NotifyEvent(EC_ERRORABORT, E_UNEXPECTED, 0);
        }
        AcquireSRWLockExclusive(&m_runLock);
        m_streaming = false;
        WakeAllConditionVariable(&m_runChanged);
    }
    ReleaseSRWLockExclusive(&m_runLock);
}

void SourceFilter::Stream()
{
    HRESULT hr = OnThreadStart();
    bool ended = false;
    while (SUCCEEDED(hr) && !m_stopRequested) {
        IMediaSample* sample = nullptr;
        hr = m_output->GetDeliveryBuffer(&sample);
        if (FAILED(hr))
            break; // decommitted by Stop
        hr = FillBuffer(sample);
        if (hr == S_OK && !m_stopRequested)
            hr = m_output->Deliver(sample);
        else if (hr == S_FALSE)
            ended = true;
        sample->Release();
        if (ended) {
            m_output->DeliverEndOfStream();
            hr = S_OK;
            break;
        }
        if (hr == S_FALSE) // downstream flushing or done with us
            break;
    }
    OnThreadStop();
    if (FAILED(hr) && !m_stopRequested && hr != VFW_E_WRONG_STATE && hr != VFW_E_NOT_COMMITTED)
        NotifyEvent(EC_ERRORABORT, hr, 0);
}
