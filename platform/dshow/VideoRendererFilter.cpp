#include "VideoRendererFilter.h"

VideoRendererFilter::VideoRendererFilter()
    : m_release(CreateEventA(nullptr, TRUE, TRUE, nullptr)), m_arrived(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_step(CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
}

VideoRendererFilter::~VideoRendererFilter()
{
    CloseHandle(m_release);
    CloseHandle(m_arrived);
    CloseHandle(m_step);
}

bool VideoRendererFilter::Step(DWORD ms, HANDLE cancel)
{
    // Marked held only once its Receive has passed the mark: a mark cleared before that would
    // be set again and would turn the next sample away.
    if (!WaitHeld(ms, cancel))
        return false;
    ResetEvent(m_arrived);
    SetEvent(m_step);
    return true;
}

bool VideoRendererFilter::WaitHeld(DWORD ms, HANDLE cancel)
{
    const HANDLE events[2] = {m_arrived, cancel};
    return WaitForMultipleObjects(cancel ? 2 : 1, events, FALSE, ms) == WAIT_OBJECT_0;
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
    // A step not taken before the seek would let the seek's frame go; a sample that was on
    // its way when the flush began marked itself held after the flush cleared the mark, and
    // would turn every sample of the new stream away.
    ResetEvent(m_step);
    ResetEvent(m_arrived);
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
        // Held until Run, Stop, a flush or a step: the graph stays on this frame.
        const HANDLE go[2] = {m_release, m_step};
        WaitForMultipleObjects(2, go, FALSE, INFINITE);
    }
    return hr;
}

HRESULT VideoRendererFilter::StateReady(DWORD timeoutMs)
{
    if (State() != State_Paused || !Input()->IsConnected())
        return S_OK;
    return WaitForSingleObject(m_arrived, timeoutMs) == WAIT_OBJECT_0 ? S_OK : VFW_S_STATE_INTERMEDIATE;
}
