#include "TrackSet.h"

#include "ItemList.h"
#include "MixReader.h"
#include "Resample.h"

#include "KvSSException.h"

#include <algorithm>
#include <cmath>

using Guard = std::lock_guard<std::mutex>;

CTrackSet::~CTrackSet()
{
    for (const ComRef<CTrack>& t : m_tracks)
        t->SetInSet(false);
}

CTrack* CTrackSet::At(LONG index) const
{
    if (index < 0 || index >= static_cast<LONG>(m_tracks.size()))
        return nullptr;
    return m_tracks[static_cast<size_t>(index)].Get();
}

std::vector<ComRef<CTrack>>::const_iterator CTrackSet::FindTrack(const CTrack* track) const
{
    return std::find_if(m_tracks.begin(), m_tracks.end(),
                        [track](const ComRef<CTrack>& t) { return t.Get() == track; });
}

LONG CTrackSet::NewId()
{
    return m_nextId++;
}

LONGLONG CTrackSet::LengthLocked() const
{
    LONGLONG length = 0;
    for (const ComRef<CTrack>& t : m_tracks)
        if (t->ContentLength() > 0)
            length = std::max(length, t->End());
    return length;
}

CTrackSet::MixSnapshot CTrackSet::SnapshotForMix(bool allTracks) const
{
    MixSnapshot s;
    Guard guard(m_lock);
    for (const ComRef<CTrack>& t : m_tracks)
        if (allTracks || t->Marked())
            s.tracks.push_back(t->Snapshot());
    s.format = m_format;
    s.master = m_master;
    s.readAutomation = m_readAutomation != 0;
    s.rangeStart = std::min(m_rangeStart, m_rangeEnd);
    s.rangeEnd = std::max(m_rangeStart, m_rangeEnd);
    s.length = LengthLocked();
    return s;
}

STDMETHODIMP CTrackSet::SetWriteAutomation(LONG on)
{
    Guard guard(m_lock);
    m_writeAutomation = on;
    for (const ComRef<CTrack>& t : m_tracks)
        t->SetFlag(kMtFlagWriteEnvelopes, on);
    return S_OK;
}

STDMETHODIMP CTrackSet::SetFormat(WORD bitsPerSample, DWORD samplesPerSec)
{
    if (!IsValidBits(bitsPerSample) || samplesPerSec < kMtMinRate || samplesPerSec > kMtMaxRate)
        return kMtErrFormatNotSupported;
    Guard guard(m_lock);
    m_format.bits = bitsPerSample;
    m_format.rate = samplesPerSec;
    for (const ComRef<CTrack>& t : m_tracks)
        t->SetFormatFromSet(samplesPerSec, bitsPerSample);
    return S_OK;
}

STDMETHODIMP CTrackSet::ConvertFormat(WORD bitsPerSample, DWORD samplesPerSec)
{
    if (!IsValidBits(bitsPerSample) || samplesPerSec < kMtMinRate || samplesPerSec > kMtMaxRate)
        return kMtErrFormatNotSupported;
    try {
        Guard guard(m_lock);
        if (samplesPerSec != m_format.rate) {
            // Build every track's new sound first, so that a failure changes nothing.
            const double factor = static_cast<double>(samplesPerSec) / m_format.rate;
            std::vector<ContentPtr> converted;
            for (const ComRef<CTrack>& t : m_tracks) {
                TrackSnapshot s = t->Snapshot();
                MtFormat to = s.format;
                to.rate = samplesPerSec;
                to.bits = bitsPerSample;
                converted.push_back(ResampleContent(*s.content, s.format, to));
            }
            for (size_t i = 0; i < m_tracks.size(); ++i) {
                CTrack* t = m_tracks[i].Get();
                LONGLONG start = 0;
                t->GetStartOffset(&start);
                t->ReplaceContent(converted[i], static_cast<LONGLONG>(std::floor(start * factor)));
                t->ScaleEnvelopes(factor);
            }
            m_rangeStart = static_cast<LONGLONG>(std::floor(m_rangeStart * factor));
            m_rangeEnd = static_cast<LONGLONG>(std::floor(m_rangeEnd * factor));
        }
        m_format.bits = bitsPerSample;
        m_format.rate = samplesPerSec;
        for (const ComRef<CTrack>& t : m_tracks)
            t->SetFormatFromSet(samplesPerSec, bitsPerSample);
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CTrackSet::InsertTrack(DWORD, WORD channels, IMtTrack** track, LONG index)
{
    if (track)
        *track = nullptr;
    if (channels < 1)
        return E_INVALIDARG;
    Guard guard(m_lock);
    if (channels > m_channelLimit)
        return kMtErrChannelLimit;
    if (index < -1 || index > static_cast<LONG>(m_tracks.size()))
        return E_INVALIDARG;
    ComRef<CTrack> t(ComObject<IMtTrack>::Create<CTrack>(channels, m_format));
    if (!t)
        return E_OUTOFMEMORY;
    t->SetId(NewId());
    t->SetInSet(true);
    t->SetFlag(kMtFlagWriteEnvelopes, m_writeAutomation);
    t->SetChannelLimit(m_channelLimit);
    m_tracks.insert(index < 0 ? m_tracks.end() : m_tracks.begin() + index, t);
    if (track)
        *track = t.Detach();
    return S_OK;
}

STDMETHODIMP CTrackSet::AttachTrack(IMtTrack* track, LONG index)
{
    ComRef<CTrack> t = TrackOf(track);
    if (!t)
        return E_INVALIDARG;
    Guard guard(m_lock);
    if (t->InSet())
        return kMtErrNotInSet;
    if (index < -1 || index > static_cast<LONG>(m_tracks.size()))
        return E_INVALIDARG;
    if (t->Channels() > m_channelLimit)
        return kMtErrChannelLimit;
    // A returning track keeps its id; a copy (id 0) or a clash gets a new one.
    LONG id = t->Id();
    bool clash = id <= 0 ||
                 std::any_of(m_tracks.begin(), m_tracks.end(), [id](const ComRef<CTrack>& o) { return o->Id() == id; });
    if (clash)
        t->SetId(NewId());
    else
        m_nextId = std::max(m_nextId, id + 1);
    t->SetInSet(true);
    t->SetFlag(kMtFlagWriteEnvelopes, m_writeAutomation);
    t->SetChannelLimit(m_channelLimit);
    t->SetFormatFromSet(m_format.rate, m_format.bits);
    m_tracks.insert(index < 0 ? m_tracks.end() : m_tracks.begin() + index, std::move(t));
    return S_OK;
}

STDMETHODIMP CTrackSet::MoveTrack(LONG from, LONG to)
{
    Guard guard(m_lock);
    LONG n = static_cast<LONG>(m_tracks.size());
    if (from < 0 || from >= n || to < 0 || to >= n)
        return E_INVALIDARG;
    ComRef<CTrack> t = std::move(m_tracks[static_cast<size_t>(from)]);
    m_tracks.erase(m_tracks.begin() + from);
    m_tracks.insert(m_tracks.begin() + to, std::move(t));
    return S_OK;
}

STDMETHODIMP CTrackSet::DetachTrack(IMtTrack* track)
{
    ComRef<CTrack> t = TrackOf(track);
    if (!t)
        return E_INVALIDARG;
    Guard guard(m_lock);
    auto it = FindTrack(t.Get());
    if (it == m_tracks.end())
        return kMtErrNotInSet;
    m_tracks.erase(it);
    t->SetInSet(false);
    t->SetMarked(false);
    return S_OK;
}

STDMETHODIMP CTrackSet::GetTrackList(IMtItemList** list)
{
    if (!list)
        return E_POINTER;
    *list = nullptr;
    CItemList* l = ComObject<IMtItemList>::Create<CItemList>();
    if (!l)
        return E_OUTOFMEMORY;
    Guard guard(m_lock);
    for (const ComRef<CTrack>& t : m_tracks)
        l->AddItem(static_cast<IMtTrack*>(t.Get()), t->Id());
    *list = l;
    return S_OK;
}

STDMETHODIMP CTrackSet::GetTrack(LONG index, IMtTrack** track)
{
    if (!track)
        return E_POINTER;
    Guard guard(m_lock);
    *track = ComRef<CTrack>::Share(At(index)).Detach();
    return *track ? S_OK : kMtErrNoTrack;
}

STDMETHODIMP CTrackSet::GetTrackCount(LONG* count)
{
    if (!count)
        return E_POINTER;
    Guard guard(m_lock);
    *count = static_cast<LONG>(m_tracks.size());
    return S_OK;
}

STDMETHODIMP CTrackSet::GetBitsPerSample(WORD* bits)
{
    return ReadUnderLock(m_lock, m_format.bits, bits);
}

STDMETHODIMP CTrackSet::GetLength(LONGLONG* length, DWORD)
{
    if (!length)
        return E_POINTER;
    Guard guard(m_lock);
    *length = LengthLocked();
    return S_OK;
}

STDMETHODIMP CTrackSet::GetSamplesPerSec(DWORD* rate)
{
    return ReadUnderLock(m_lock, m_format.rate, rate);
}

STDMETHODIMP CTrackSet::GetChannelLimit(LONG* limit)
{
    return ReadUnderLock(m_lock, m_channelLimit, limit);
}

STDMETHODIMP CTrackSet::SetChannelLimit(LONG limit)
{
    if (limit != 2 && limit != 6)
        return E_INVALIDARG;
    Guard guard(m_lock);
    m_channelLimit = limit;
    for (const ComRef<CTrack>& t : m_tracks)
        t->SetChannelLimit(limit);
    return S_OK;
}

STDMETHODIMP CTrackSet::GetRecordChannels(WORD* channels)
{
    return ReadUnderLock(m_lock, m_recordChannels, channels);
}

STDMETHODIMP CTrackSet::SetRecordChannels(WORD channels)
{
    // Not checked against the channel limit: the document checks armed tracks itself, and
    // sets this value before and apart from the limit.
    if (channels != 1 && channels != 2 && channels != 6)
        return E_INVALIDARG;
    return WriteUnderLock(m_lock, m_recordChannels, channels);
}

STDMETHODIMP CTrackSet::GetLoopRange(LONGLONG* start, LONGLONG* end)
{
    if (!start || !end)
        return E_POINTER;
    Guard guard(m_lock);
    *start = m_loopStart;
    *end = m_loopEnd;
    return S_OK;
}

STDMETHODIMP CTrackSet::SetLoopRange(const LONGLONG* start, const LONGLONG* end)
{
    if (!start || !end)
        return E_POINTER;
    Guard guard(m_lock);
    m_loopStart = std::min(*start, *end);
    m_loopEnd = std::max(*start, *end);
    return S_OK;
}

STDMETHODIMP CTrackSet::GetMasterVolume(float* volume)
{
    return ReadUnderLock(m_lock, m_master, volume);
}

STDMETHODIMP CTrackSet::SetMasterVolume(float volume)
{
    if (!std::isfinite(volume) || volume < 0.0f)
        return E_INVALIDARG;
    return WriteUnderLock(m_lock, m_master, volume);
}

STDMETHODIMP CTrackSet::GetTrackById(LONG id, IMtTrack** track)
{
    if (!track)
        return E_POINTER;
    *track = nullptr;
    Guard guard(m_lock);
    for (const ComRef<CTrack>& t : m_tracks)
        if (t->Id() == id) {
            *track = ComRef<CTrack>::Share(t.Get()).Detach();
            return S_OK;
        }
    return kMtErrNoTrack;
}

STDMETHODIMP CTrackSet::TrackIndexToId(LONG index, LONG* id)
{
    if (!id)
        return E_POINTER;
    // -1 (no track) passes through, so that records naming no track convert both ways.
    if (index == -1) {
        *id = -1;
        return S_OK;
    }
    Guard guard(m_lock);
    CTrack* t = At(index);
    *id = t ? t->Id() : -1;
    return t ? S_OK : kMtErrNoTrack;
}

STDMETHODIMP CTrackSet::GetTrackIndex(IMtTrack* track, LONG* index)
{
    if (!index)
        return E_POINTER;
    *index = -1;
    ComRef<CTrack> t = TrackOf(track);
    if (!t)
        return E_INVALIDARG;
    Guard guard(m_lock);
    auto it = FindTrack(t.Get());
    if (it == m_tracks.end())
        return kMtErrNoTrack;
    *index = static_cast<LONG>(it - m_tracks.begin());
    return S_OK;
}

STDMETHODIMP CTrackSet::TrackIdToIndex(LONG id, LONG* index)
{
    if (!index)
        return E_POINTER;
    *index = -1;
    if (id == -1)
        return S_OK;
    Guard guard(m_lock);
    for (size_t i = 0; i < m_tracks.size(); ++i)
        if (m_tracks[i]->Id() == id) {
            *index = static_cast<LONG>(i);
            return S_OK;
        }
    return kMtErrNoTrack;
}

STDMETHODIMP CTrackSet::CreateMixReader(DWORD outputChannels, DWORD flags, IMtMixReader** reader)
{
    if (!reader)
        return E_POINTER;
    *reader = nullptr;
    if (outputChannels != 1 && outputChannels != 2 && outputChannels != 6)
        return E_INVALIDARG;
    try {
        MixSnapshot snapshot = SnapshotForMix((flags & kMtMixAllTracks) != 0);
        if (flags & kMtMixNoAutomation)
            snapshot.readAutomation = false;
        *reader = CreateMixReaderFor(std::move(snapshot), static_cast<int>(outputChannels));
        return *reader ? S_OK : E_OUTOFMEMORY;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CTrackSet::IsTrackMarked(LONG index, LONG* marked)
{
    if (!marked)
        return E_POINTER;
    Guard guard(m_lock);
    CTrack* t = At(index);
    *marked = t && t->Marked() ? 1 : 0;
    return t ? S_OK : kMtErrNoTrack;
}

STDMETHODIMP CTrackSet::SetAllTracks(LONG flag)
{
    Guard guard(m_lock);
    for (const ComRef<CTrack>& t : m_tracks)
        t->SetMarked(flag != 0);
    return S_OK;
}

STDMETHODIMP CTrackSet::SelectTrack(LONG index, LONG flag)
{
    Guard guard(m_lock);
    CTrack* t = At(index);
    if (!t)
        return kMtErrNoTrack;
    t->SetMarked(flag != 0);
    return S_OK;
}

STDMETHODIMP CTrackSet::GetRange(LONGLONG* start, LONGLONG* end)
{
    if (!start || !end)
        return E_POINTER;
    Guard guard(m_lock);
    *start = m_rangeStart;
    *end = m_rangeEnd;
    return S_OK;
}

STDMETHODIMP CTrackSet::SetRange(LONGLONG start, LONGLONG end)
{
    Guard guard(m_lock);
    m_rangeStart = start;
    m_rangeEnd = end;
    return S_OK;
}

STDMETHODIMP CTrackSet::GetLength(LONGLONG* length)
{
    if (!length)
        return E_POINTER;
    Guard guard(m_lock);
    *length = m_rangeEnd >= m_rangeStart ? m_rangeEnd - m_rangeStart : m_rangeStart - m_rangeEnd;
    return S_OK;
}

STDMETHODIMP CTrackSet::GetMarkedCount(LONG* count)
{
    if (!count)
        return E_POINTER;
    Guard guard(m_lock);
    *count = static_cast<LONG>(
        std::count_if(m_tracks.begin(), m_tracks.end(), [](const ComRef<CTrack>& t) { return t->Marked(); }));
    return S_OK;
}
