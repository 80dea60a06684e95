#include "SourceFilter.h"

SourceFilter::SourceFilter()
{
    m_output = OutputPin::Create<OutputPin>(this, L"Out");
    AddPin(m_output);
}

SourceFilter::~SourceFilter()
{
    JoinThread();
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

HRESULT SourceFilter::OnPause(FILTER_STATE from)
{
    if (from != State_Stopped || !m_output->IsConnected())
        return S_OK;
    JoinThread();
    m_stopRequested = false;
    m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
    return m_thread ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

void SourceFilter::OnStop()
{
    m_stopRequested = true;
    JoinThread();
}

void SourceFilter::JoinThread()
{
    if (!m_thread)
        return;
    m_stopRequested = true;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

DWORD WINAPI SourceFilter::ThreadProc(void* self)
{
    HRESULT co = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    try {
        static_cast<SourceFilter*>(self)->Stream();
    } catch (...) {
        static_cast<SourceFilter*>(self)->NotifyEvent(EC_ERRORABORT, E_UNEXPECTED, 0);
    }
    if (SUCCEEDED(co))
        CoUninitialize();
    return 0;
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
