#include "TracksReader.h"

TracksReader::TracksReader()
{
    SetClassId(CLSID_KsTrksRd);
    SetMix(true);
    SetMixChannels(2);
}

STDMETHODIMP TracksReader::SetReadAutomation(LONG on)
{
    SetAutomation(on != 0);
    return S_OK;
}

IMediaSeeking* TracksReader::PinUpstreamSeeking(OutputPin*)
{
    AddRef();
    return static_cast<SeekingPassThru*>(this);
}
