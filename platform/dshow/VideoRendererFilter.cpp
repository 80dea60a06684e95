#include "VideoRendererFilter.h"

VideoRendererFilter::VideoRendererFilter()
    : m_release(CreateEventA(nullptr, TRUE, TRUE, nullptr)), m_arrived(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

VideoRendererFilter::~VideoRendererFilter()
{
    CloseHandle(m_release);
    CloseHandle(m_arrived);
}

void VideoRendererFilter::LetGo()
{
    SetEvent(m_release);
}

STDMETHODIMP VideoRendererFilter::Stop()
{
    // A held sample keeps the stream lock, which the stop takes: let it go first.
    LetGo();
    return RendererFilter::Stop();
}

HRESULT VideoRendererFilter::OnPause(FILTER_STATE from)
{
    HRESULT hr = RendererFilter::OnPause(from);
    if (FAILED(hr))
        return hr;
    ResetEvent(m_release);
    // Paused anew, it waits for a frame to hold; paused again, it keeps the one it holds.
    if (from != State_Paused)
        ResetEvent(m_arrived);
    return hr;
}

HRESULT VideoRendererFilter::OnRun(REFERENCE_TIME start)
{
    LetGo();
    return RendererFilter::OnRun(start);
}

HRESULT VideoRendererFilter::PinBeginFlush(InputPin* pin)
{
    ResetEvent(m_arrived);
    LetGo();
    return RendererFilter::PinBeginFlush(pin);
}

HRESULT VideoRendererFilter::PinEndFlush(InputPin* pin)
{
    if (State() == State_Paused)
        ResetEvent(m_release);
    return RendererFilter::PinEndFlush(pin);
}

HRESULT VideoRendererFilter::PinEndOfStream(InputPin* pin)
{
    SetEvent(m_arrived);
    return RendererFilter::PinEndOfStream(pin);
}

HRESULT VideoRendererFilter::PinReceive(InputPin* pin, IMediaSample* sample)
{
    if (State() == State_Paused && WaitForSingleObject(m_arrived, 0) == WAIT_OBJECT_0) {
        // Only after the end of the stream: nothing more to draw until a seek.
        return S_OK;
    }
    HRESULT hr = RendererFilter::PinReceive(pin, sample);
    if (State() == State_Paused) {
        SetEvent(m_arrived);
        // Held until Run, Stop or a flush: the graph stays on this frame.
        WaitForSingleObject(m_release, INFINITE);
    }
    return hr;
}

HRESULT VideoRendererFilter::StateReady(DWORD timeoutMs)
{
    if (State() != State_Paused || !Input()->IsConnected())
        return S_OK;
    return WaitForSingleObject(m_arrived, timeoutMs) == WAIT_OBJECT_0 ? S_OK : VFW_S_STATE_INTERMEDIATE;
}
