#include "RendererFilter.h"

RendererFilter::RendererFilter()
{
    m_input = InputPin::Create<InputPin>(this, L"In");
    AddPin(m_input);
}

IMediaSeeking* RendererFilter::InputSeeking()
{
    IPin* peer = m_input->Peer();
    IMediaSeeking* seeking = nullptr;
    if (peer && SUCCEEDED(peer->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking))))
        return seeking;
    return nullptr;
}

HRESULT RendererFilter::PinCheckMediaType(BasePin*, const AM_MEDIA_TYPE& mt)
{
    return CheckMediaType(mt);
}

HRESULT RendererFilter::PinReceive(InputPin*, IMediaSample* sample)
{
    if (!m_streaming)
        return VFW_E_WRONG_STATE;
    HRESULT hr = RenderSample(sample);
    if (FAILED(hr))
        NotifyEvent(EC_ERRORABORT, hr, 0);
    return hr;
}

HRESULT RendererFilter::PinEndOfStream(InputPin*)
{
    m_eosResult = OnEndOfStreamReceived();
    {
        // A lock of its own: the streaming thread stays clear of the filter's state locks.
        AutoLock lock(m_eosLock);
        if (m_state == State_Running)
            SendCompletion();
        else
            m_eosPending = true;
    }
    return S_OK;
}

HRESULT RendererFilter::PinEndFlush(InputPin*)
{
    AutoLock lock(m_eosLock);
    m_eosPending = false;
    m_completeSent = false;
    return S_OK;
}

void RendererFilter::SendCompletion()
{
    if (m_completeSent)
        return;
    m_completeSent = true;
    m_eosPending = false;
    if (FAILED(m_eosResult))
        NotifyEvent(EC_ERRORABORT, m_eosResult, 0);
    else
        NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
}

HRESULT RendererFilter::OnPause(FILTER_STATE from)
{
    if (from != State_Stopped)
        return S_OK;
    m_eosPending = false;
    m_completeSent = false;
    m_eosResult = S_OK;
    if (!m_input->IsConnected())
        return S_OK; // nothing will come
    HRESULT hr = OnStartStreaming();
    m_streaming = SUCCEEDED(hr);
    return hr;
}

HRESULT RendererFilter::OnRun(REFERENCE_TIME)
{
    AutoLock lock(m_eosLock);
    if (m_eosPending)
        SendCompletion();
    // A renderer without a connection has nothing to wait for.
    else if (!m_input->IsConnected())
        SendCompletion();
    return S_OK;
}

void RendererFilter::OnStop()
{
    if (m_streaming) {
        m_streaming = false;
        OnStopStreaming();
    }
}
