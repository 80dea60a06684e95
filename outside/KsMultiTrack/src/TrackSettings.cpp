// CTrack's settings, flags and envelope set: plain values under the track's lock.
#include "Track.h"

#include "ComRef.h"

#include <cmath>

using Guard = std::lock_guard<std::mutex>;

STDMETHODIMP CTrack::GetChannels(WORD* channels)
{
    if (!channels)
        return E_POINTER;
    *channels = Channels();
    return S_OK;
}

STDMETHODIMP CTrack::SetChannels(WORD channels)
{
    if (channels < 1)
        return E_INVALIDARG;
    Guard guard(m_lock);
    if (channels > m_limit)
        return kMtErrChannelLimit;
    m_format.channels = channels;
    return S_OK;
}

STDMETHODIMP CTrack::GetLength(LONGLONG* length)
{
    if (!length)
        return E_POINTER;
    *length = ContentLength();
    return S_OK;
}

STDMETHODIMP CTrack::GetSelectedChannels(DWORD* mask)
{
    return ReadUnderLock(m_lock, m_selectedChannels, mask);
}
STDMETHODIMP CTrack::SetSelectedChannels(DWORD mask)
{
    return WriteUnderLock(m_lock, m_selectedChannels, mask);
}

STDMETHODIMP CTrack::GetSpeakerMask(DWORD* mask)
{
    return ReadUnderLock(m_lock, m_speakerMask, mask);
}
STDMETHODIMP CTrack::SetSpeakerMask(DWORD mask)
{
    return WriteUnderLock(m_lock, m_speakerMask, mask);
}

STDMETHODIMP CTrack::TestFlag(DWORD flag, LONG* set)
{
    if (!set)
        return E_POINTER;
    Guard guard(m_lock);
    *set = (m_flags & flag) != 0 ? 1 : 0;
    return S_OK;
}

STDMETHODIMP CTrack::SetFlag(DWORD flag, LONG value)
{
    Guard guard(m_lock);
    if (value)
        m_flags |= flag;
    else
        m_flags &= ~flag;
    return S_OK;
}

STDMETHODIMP CTrack::ApplyFurtherState(LONG value)
{
    return WriteUnderLock(m_lock, m_furtherState, value);
}
STDMETHODIMP CTrack::IsSilenced(LONG* silenced)
{
    return ReadUnderLock(m_lock, m_silenced, silenced);
}
STDMETHODIMP CTrack::SetSilenced(LONG silenced)
{
    return WriteUnderLock(m_lock, m_silenced, silenced != 0);
}

STDMETHODIMP CTrack::IsRecordArmed(LONG* armed)
{
    return TestFlag(kMtFlagRecord, armed);
}
STDMETHODIMP CTrack::SetRecordArmed(LONG armed)
{
    return SetFlag(kMtFlagRecord, armed);
}

STDMETHODIMP CTrack::GetStartOffset(LONGLONG* start)
{
    return ReadUnderLock(m_lock, m_start, start);
}
STDMETHODIMP CTrack::SetStartOffset(LONGLONG start)
{
    return WriteUnderLock(m_lock, m_start, start);
}

STDMETHODIMP CTrack::GetGroupRecord(MtGroupRecord* record)
{
    return ReadUnderLock(m_lock, m_group, record);
}

STDMETHODIMP CTrack::SetGroupRecord(const MtGroupRecord* record)
{
    if (!record)
        return E_POINTER;
    return WriteUnderLock(m_lock, m_group, *record);
}

STDMETHODIMP CTrack::GetOutputChannel(LONG* channel)
{
    return ReadUnderLock(m_lock, m_outputChannel, channel);
}

STDMETHODIMP CTrack::SetOutputChannel(LONG channel)
{
    if (channel < 0)
        return E_INVALIDARG;
    return WriteUnderLock(m_lock, m_outputChannel, channel);
}

STDMETHODIMP CTrack::GetMeterPeaks(LONG* left, LONG* right)
{
    if (!left || !right)
        return E_POINTER;
    *left = 0;
    *right = 0;
    return S_OK;
}

STDMETHODIMP CTrack::GetTrackId(LONG* id)
{
    if (!id)
        return E_POINTER;
    *id = m_id;
    return S_OK;
}

STDMETHODIMP CTrack::SetPan(float pan)
{
    if (!(pan >= -1.0f && pan <= 1.0f))
        return E_INVALIDARG;
    return SetFloat(m_pan, pan);
}

STDMETHODIMP CTrack::SetFrontRearPan(float pan)
{
    if (!(pan >= -1.0f && pan <= 1.0f))
        return E_INVALIDARG;
    return SetFloat(m_frontRear, pan);
}

STDMETHODIMP CTrack::GetSurroundValue(LONG* value)
{
    return ReadUnderLock(m_lock, m_surroundValue, value);
}
STDMETHODIMP CTrack::SetSurroundValue(LONG value)
{
    return WriteUnderLock(m_lock, m_surroundValue, value);
}

STDMETHODIMP CTrack::IsSurroundOn(LONG* on)
{
    return ReadUnderLock(m_lock, m_surroundOn, on);
}
STDMETHODIMP CTrack::SetSurroundOn(LONG on)
{
    return WriteUnderLock(m_lock, m_surroundOn, on != 0);
}

STDMETHODIMP CTrack::GetValue(LONG kind, float* value)
{
    if (!value)
        return E_POINTER;
    if (kind < 0 || kind >= kMtEnvelopeKinds)
        return E_INVALIDARG;
    ComRef<CEnvelope> e(EnvelopeRef(kind));
    return e->GetInitialValue(value);
}

STDMETHODIMP CTrack::SetValue(LONG kind, float value)
{
    if (kind < 0 || kind >= kMtEnvelopeKinds || !std::isfinite(value))
        return E_INVALIDARG;
    ComRef<CEnvelope> e(EnvelopeRef(kind));
    return e->SetInitialValue(value);
}

STDMETHODIMP CTrack::GetEnvelope(LONG kind, IMtEnvelope** envelope)
{
    if (!envelope)
        return E_POINTER;
    *envelope = nullptr;
    if (kind < 0 || kind >= kMtEnvelopeKinds)
        return E_INVALIDARG;
    *envelope = EnvelopeRef(kind);
    return S_OK;
}

STDMETHODIMP CTrack::SetEnvelope(LONG kind, IMtEnvelope* envelope)
{
    if (kind < 0 || kind >= kMtEnvelopeKinds)
        return E_INVALIDARG;
    EnvelopeData data;
    if (!EnvelopeSnapshotOf(envelope, &data))
        return E_INVALIDARG;
    // A new live object takes the place of the old one, so that a caller that took the old
    // one away (to render with a temporary curve) still holds its points to put back.
    ComRef<CEnvelope> fresh(Create<CEnvelope>(0.0f));
    if (!fresh)
        return E_OUTOFMEMORY;
    fresh->Assign(data);
    {
        Guard guard(m_lock);
        std::swap(m_envelopes[kind], fresh);
    }
    return S_OK;
}

STDMETHODIMP CTrack::GetValueAt(LONG kind, LONGLONG position, float* value)
{
    if (!value)
        return E_POINTER;
    if (kind < 0 || kind >= kMtEnvelopeKinds)
        return E_INVALIDARG;
    ComRef<CEnvelope> e(EnvelopeRef(kind));
    return e->GetValueAt(position, value);
}
