#include "TracksReader.h"

#include <algorithm>

TracksReader::TracksReader()
{
    SetClassId(CLSID_KsTrksRd);
    SetMix(true);
    SetMixChannels(2);
    ChooseRange();
}

// Switch 7 set and 8 clear (a render or preview of edited tracks): the selection, or the tracks'
// own span, the stretch the result takes the place of. 7 and 8 set (a mix into a new
// document): the time line from 0. 7 clear (a track mixed down in place): the tracks' own
// span whatever the selection, as the result replaces the whole track at its start offset.
void TracksReader::ChooseRange()
{
    if (!m_switches[7])
        SetRangeRule(RangeRule::MarkedTracks);
    else
        SetRangeRule(m_switches[8] ? RangeRule::ToMarkedEnd : RangeRule::SelectionOrMarked);
}

STDMETHODIMP TracksReader::SetTrackSet(IUnknown* trackSet)
{
    if (!trackSet)
        return E_POINTER;
    return AttachTrackSet(trackSet);
}

// A mix has 1, 2 or 6 channels (0, which derives them from the tracks, is not the callers').
STDMETHODIMP TracksReader::SetOutputChannels(LONG channels)
{
    if (channels != 1 && channels != 2 && channels != 6)
        return E_INVALIDARG;
    return SetMixChannels(channels);
}

STDMETHODIMP TracksReader::SetSwitch7(LONG value)
{
    HRESULT hr = Keep(7, value);
    ChooseRange();
    return hr;
}

STDMETHODIMP TracksReader::SetSwitch8(LONG value)
{
    HRESULT hr = Keep(8, value);
    ChooseRange();
    return hr;
}

STDMETHODIMP TracksReader::SetReadAutomation(LONG on)
{
    if (on != 0 && on != 1)
        return E_INVALIDARG;
    SetAutomation(on != 0);
    return S_OK;
}

HRESULT TracksReader::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    const WAVEFORMATEX* wf = Output()->CurrentMediaType().Wave();
    if (!wf)
        return E_UNEXPECTED;
    ALLOCATOR_PROPERTIES props = *wanted;
    props.cbBuffer = std::max<long>(props.cbBuffer, kSampleFrames * wf->nBlockAlign);
    return EngineSourceFilter::DecideBufferSize(alloc, &props);
}

IMediaSeeking* TracksReader::PinUpstreamSeeking(OutputPin*)
{
    AddRef();
    return static_cast<SeekingPassThru*>(this);
}
