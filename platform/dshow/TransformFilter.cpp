#include "TransformFilter.h"

#include <algorithm>

namespace {

// Refusals of a filter that is stopping (downstream stopped first, or our allocator
// decommitted): the graph is stopping, which is no error to report.
bool IsStopRefusal(HRESULT hr)
{
    return hr == VFW_E_WRONG_STATE || hr == VFW_E_NOT_COMMITTED;
}

} // namespace

TransformFilter::TransformFilter(const wchar_t* inputName, const wchar_t* outputName)
{
    m_input = InputPin::Create<InputPin>(this, inputName);
    m_output = OutputPin::Create<OutputPin>(this, outputName);
    AddPin(m_input);
    AddPin(m_output);
}

HRESULT TransformFilter::PinCheckMediaType(BasePin* pin, const AM_MEDIA_TYPE& mt)
{
    if (pin == m_input)
        return CheckInputType(mt);
    if (!m_input->IsConnected())
        return VFW_E_NOT_CONNECTED;
    return CheckTransform(m_input->CurrentMediaType().Get(), mt);
}

HRESULT TransformFilter::PinGetMediaType(BasePin* pin, int i, MediaType& mt)
{
    if (pin == m_input || !m_input->IsConnected())
        return VFW_S_NO_MORE_ITEMS;
    return GetOutputType(i, mt);
}

HRESULT TransformFilter::PinCompleteConnect(BasePin* pin, IPin*)
{
    // A new input type must still suit a connected output.
    if (pin == m_input && m_output->IsConnected() &&
        CheckTransform(m_input->CurrentMediaType().Get(), m_output->CurrentMediaType().Get()) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT TransformFilter::ProcessSample(IMediaSample* in)
{
    IMediaSample* out = nullptr;
    HRESULT hr = m_output->GetDeliveryBuffer(&out);
    if (FAILED(hr))
        return hr;
    REFERENCE_TIME start, stop;
    if (SUCCEEDED(in->GetTime(&start, &stop)))
        out->SetTime(&start, &stop);
    out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
    out->SetSyncPoint(in->IsSyncPoint() == S_OK);
    hr = Transform(in, out);
    if (hr == S_OK)
        hr = m_output->Deliver(out);
    else if (hr == S_FALSE)
        hr = S_OK;
    out->Release();
    return hr;
}

HRESULT TransformFilter::PinReceive(InputPin*, IMediaSample* sample)
{
    if (!m_output->IsConnected())
        return VFW_E_NOT_CONNECTED;
    HRESULT hr = ProcessSample(sample);
    if (FAILED(hr) && State() != State_Stopped && !m_input->IsFlushing() && !IsStopRefusal(hr))
        NotifyEvent(EC_ERRORABORT, hr, 0);
    return hr;
}

HRESULT TransformFilter::PinEndOfStream(InputPin*)
{
    HRESULT hr = OnEndOfStream();
    if (FAILED(hr)) {
        if (!IsStopRefusal(hr))
            NotifyEvent(EC_ERRORABORT, hr, 0);
        return hr;
    }
    return m_output->DeliverEndOfStream();
}

HRESULT TransformFilter::PinBeginFlush(InputPin*)
{
    OnBeginFlush();
    return m_output->DeliverBeginFlush();
}

HRESULT TransformFilter::PinEndFlush(InputPin*)
{
    OnEndFlush();
    return m_output->DeliverEndFlush();
}

HRESULT TransformFilter::PinNewSegment(InputPin*, REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    return m_output->IsConnected() ? m_output->DeliverNewSegment(start, stop, rate) : S_OK;
}

HRESULT TransformFilter::PinDecideBufferSize(OutputPin*, IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    return DecideBufferSize(alloc, wanted);
}

HRESULT TransformFilter::DeliverStamped(IMediaSample* sample, uint64_t* framesOut, uint64_t frames, uint32_t rate)
{
    REFERENCE_TIME start = REFERENCE_TIME(*framesOut * 10000000 / rate);
    REFERENCE_TIME stop = REFERENCE_TIME((*framesOut + frames) * 10000000 / rate);
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    *framesOut += frames;
    return m_output->Deliver(sample);
}

long TransformFilter::InputBlockBytesAs(const WAVEFORMATEX& out) const
{
    const WAVEFORMATEX* in = m_input->CurrentMediaType().Wave();
    ALLOCATOR_PROPERTIES upstream{};
    if (!in || !in->nBlockAlign || !in->nSamplesPerSec || !m_input->Allocator() ||
        FAILED(m_input->Allocator()->GetProperties(&upstream)) || upstream.cbBuffer <= 0)
        return 0;
    // A frame more than the rates give, for the resampler's rounding.
    const LONGLONG frames = LONGLONG(upstream.cbBuffer / in->nBlockAlign) * out.nSamplesPerSec / in->nSamplesPerSec + 1;
    return long(std::min<LONGLONG>(frames * out.nBlockAlign, 0x7FFFFFFF));
}

IMediaSeeking* TransformFilter::PinUpstreamSeeking(OutputPin*)
{
    IPin* peer = m_input->Peer();
    IMediaSeeking* seeking = nullptr;
    if (peer && SUCCEEDED(peer->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking))))
        return seeking;
    return nullptr;
}

HRESULT TransformFilter::OnPause(FILTER_STATE from)
{
    if (from != State_Stopped || m_streaming)
        return S_OK;
    if (!m_input->IsConnected() || !m_output->IsConnected())
        return S_OK; // an unconnected filter idles in a running graph
    HRESULT hr = StartStreaming();
    m_streaming = SUCCEEDED(hr);
    return hr;
}

void TransformFilter::OnStop()
{
    if (m_streaming) {
        m_streaming = false;
        StopStreaming();
    }
}
