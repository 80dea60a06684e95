#include "KsDShowSource.h"

#include <algorithm>

KsDShowSource::KsDShowSource()
{
    SetClassId(CLSID_KsDShowSrc);
}

STDMETHODIMP KsDShowSource::AttachEngine(IUnknown* trackSet, LONG mix, LONG live)
{
    if ((mix != 0 && mix != 1) || (live != 0 && live != 1))
        return E_INVALIDARG;
    HRESULT hr = AttachTrackSet(trackSet);
    if (FAILED(hr))
        return hr;
    SetMix(mix != 0);
    // An in-place result replaces the track's span; a mix starts a new time line at 0.
    SetRangeRule(mix ? RangeRule::Selection : RangeRule::SelectionOrMarked);
    m_live = live;
    return S_OK;
}

STDMETHODIMP KsDShowSource::GetEngine(IUnknown** trackSet)
{
    if (!trackSet)
        return E_POINTER;
    *trackSet = TrackSet();
    if (!*trackSet)
        return E_UNEXPECTED;
    (*trackSet)->AddRef();
    return S_OK;
}

STDMETHODIMP KsDShowSource::SetOutputSampleFormat(LONG tag)
{
    if (tag != 1 && tag != 3)
        return E_INVALIDARG;
    return SetFloatOutput(tag == 3);
}

STDMETHODIMP KsDShowSource::SetOption(LONG id, LONG value)
{
    m_option8[0] = id;
    m_option8[1] = value;
    return S_OK;
}

STDMETHODIMP KsDShowSource::SetOption11(LONG value)
{
    m_option11 = value;
    return S_OK;
}

STDMETHODIMP KsDShowSource::SetReadAutomation(LONG on)
{
    SetAutomation(on != 0);
    return S_OK;
}

STDMETHODIMP KsDShowSource::SetOption14(LONG value)
{
    m_option14 = value;
    return S_OK;
}

IMediaSeeking* KsDShowSource::PinUpstreamSeeking(OutputPin*)
{
    AddRef();
    return static_cast<SeekingPassThru*>(this);
}

HRESULT KsDShowSource::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    // Each block is a read of the engine and a sample through every filter: a run that nobody
    // listens to takes blocks of 32768 frames; a live one keeps the short blocks its latency needs.
    const WAVEFORMATEX* wf = Output()->CurrentMediaType().Wave();
    if (m_live || !wf || !wanted)
        return EngineSourceFilter::DecideBufferSize(alloc, wanted);
    constexpr long kOfflineFrames = 32768;
    ALLOCATOR_PROPERTIES larger = *wanted;
    larger.cbBuffer = std::max<long>(larger.cbBuffer, kOfflineFrames * long(wf->nBlockAlign));
    return EngineSourceFilter::DecideBufferSize(alloc, &larger);
}
