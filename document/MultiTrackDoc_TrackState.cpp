// Track state, grouping and mixer operations: mute, solo and arming stay consistent (solo
// wins over mute, grouped tracks follow each other, one armed track unless ASIO is in use),
// and the engine plays what ApplySolo derives from them.
#include "MultiTrackDoc.h"

#include "DocumentHost.h"
#include "KvSSException.h"
#include "ViewGeometry.h"

#include <cmath>
#include <set>

namespace {

LONG TestFlag(IMtTrack* track, DWORD flag)
{
    LONG value = 0;
    if (!track || FAILED(track->TestFlag(flag, &value)))
        return 0;
    return value;
}

} // namespace

int CNyMultiTrackDoc::GetTrackId(int index)
{
    if (!m_engine)
        return 0;
    if (index == -1)
        return -1;
    LONG id = -1;
    return SUCCEEDED(m_engine->TrackIndexToId(index, &id)) ? id : -1;
}

int CNyMultiTrackDoc::GetTrackIndex(int id)
{
    if (!m_engine)
        return 0;
    if (id == -1)
        return -1;
    LONG index = -1;
    return SUCCEEDED(m_engine->TrackIdToIndex(id, &index)) ? index : -1;
}

int64_t CNyMultiTrackDoc::GetTrackSpan(int index, int64_t* start, int64_t* end)
{
    *start = *end = 0;
    IMtTrack* track = index < 0 ? nullptr : GetTrack(index);
    if (!track)
        return 0;
    LONGLONG offset = 0, length = 0;
    track->GetStartOffset(&offset);
    track->GetLength(&length);
    *start = offset;
    *end = offset + length;
    return length;
}

MtGroupRecord CNyMultiTrackDoc::ReadGroupRecord(IMtTrack* track)
{
    MtGroupRecord record{};
    if (track && FAILED(track->GetGroupRecord(&record)))
        record = MtGroupRecord{};
    return record;
}

int CNyMultiTrackDoc::GetTrackGroup(int index)
{
    IMtTrack* track = GetTrack(index);
    return track ? ReadGroupRecord(track).group : -1;
}

void CNyMultiTrackDoc::SetTrackGroup(IMtTrack* track, int group)
{
    if (!track)
        return;
    MtGroupRecord record = ReadGroupRecord(track);
    record.group = group;
    track->SetGroupRecord(&record);
}

COLORREF CNyMultiTrackDoc::GetTrackColor(IMtTrack* track)
{
    COLORREF fallback = GetDocumentHost().SkinColorAt(1);
    if (!track)
        return fallback;
    MtGroupRecord record = ReadGroupRecord(track);
    if (record.colour == 0) {
        record.colour = fallback;
        track->SetGroupRecord(&record);
    }
    return record.colour;
}

void CNyMultiTrackDoc::SetTrackColor(IMtTrack* track, COLORREF colour)
{
    if (!track)
        return;
    MtGroupRecord record = ReadGroupRecord(track);
    record.colour = colour;
    track->SetGroupRecord(&record);
}

BOOL CNyMultiTrackDoc::GetTrackFlag(int index, DWORD flag)
{
    return TestFlag(GetTrack(index), flag) != 0;
}

void CNyMultiTrackDoc::SetTrackFlag(int index, DWORD flag, BOOL value)
{
    if (IMtTrack* track = GetTrack(index))
        track->SetFlag(flag, value ? 1 : 0);
}

BOOL CNyMultiTrackDoc::IsTrackSilenced(int index)
{
    IMtTrack* track = GetTrack(index);
    LONG silenced = 0;
    return track && SUCCEEDED(track->IsSilenced(&silenced)) && silenced;
}

void CNyMultiTrackDoc::SetTrackSilenced(int index, BOOL value)
{
    if (IMtTrack* track = GetTrack(index))
        track->SetSilenced(value ? 1 : 0);
}

void CNyMultiTrackDoc::ApplyTrackFlag32(int index, BOOL value)
{
    if (IMtTrack* track = GetTrack(index))
        track->ApplyFurtherState(value ? 1 : 0);
}

int CNyMultiTrackDoc::GetFreeGroupNumber()
{
    std::set<int> used;
    for (int i = 0, n = GetTrackCount(); i < n; ++i)
        used.insert(GetTrackGroup(i));
    int group = 1;
    while (used.count(group))
        ++group;
    return group;
}

float CNyMultiTrackDoc::GetTrackLevel(int index, LONG kind, int64_t position)
{
    IMtTrack* track = GetTrack(index);
    if (!track)
        throw CKvSSException(E_POINTER);
    ComRef<IMtEnvelopeSet> envelopes = QueryCom<IMtEnvelopeSet>(track);
    if (!envelopes)
        throw CKvSSException(E_NOINTERFACE);
    float value = 0.0f;
    ThrowIfFailed(envelopes->GetValueAt(kind, position, &value));
    return value;
}

IMtEnvelope* CNyMultiTrackDoc::GetTrackEditInterface(int index, LONG kind)
{
    IMtTrack* track = GetTrack(index);
    if (!track)
        throw CKvSSException(E_POINTER);
    ComRef<IMtEnvelopeSet> envelopes = QueryCom<IMtEnvelopeSet>(track);
    if (!envelopes)
        throw CKvSSException(E_NOINTERFACE);
    ComRef<IMtEnvelope> envelope;
    ThrowIfFailed(envelopes->GetEnvelope(kind, envelope.Out()));
    // The track keeps its envelope alive; the caller holds no reference.
    return envelope.Get();
}

int CNyMultiTrackDoc::GetMasterVolume()
{
    float volume = 1.0f;
    if (!m_engine || FAILED(m_engine->GetMasterVolume(&volume)))
        volume = 1.0f;
    return static_cast<int>(volume * 10000.0);
}

void CNyMultiTrackDoc::SetMasterVolume(int level)
{
    if (m_engine)
        m_engine->SetMasterVolume(static_cast<float>(level * 0.0001));
    GetDocumentHost().UpdateMasterVolume();
}

CFadeHandleEditor* CNyMultiTrackDoc::GetHandleEditTrack(int index)
{
    if (!m_handleEditors || index < 0 || index >= GetTrackCount() || index >= static_cast<int>(m_handleEditors->size()))
        return nullptr;
    return &(*m_handleEditors)[static_cast<size_t>(index)];
}

BOOL CNyMultiTrackDoc::HasEditHandles(int index)
{
    CFadeHandleEditor* editor = GetHandleEditTrack(index);
    return editor && editor->Handles().size() > 1;
}

void CNyMultiTrackDoc::SetFadeMode(int direction, int curve)
{
    m_fadeDirection = direction;
    m_fadeCurve = curve;
}

void CNyMultiTrackDoc::GetFadeMode(int* direction, int* curve) const
{
    *direction = m_fadeDirection;
    *curve = m_fadeCurve;
}

void CNyMultiTrackDoc::GetEmptyTrailingTracks(std::vector<IMtTrack*>& tracks)
{
    tracks.clear();
    for (int i = GetTrackCount() - 1; i >= 0; --i) {
        if (GetTrackExtent(i, 0) != 0)
            break;
        tracks.insert(tracks.begin(), GetTrack(i));
    }
}

void CNyMultiTrackDoc::RepaintTrackState()
{
    if (ViewGeometry* view = GetMultiTrackView())
        view->RepaintTracks();
    GetDocumentHost().RefreshMixer(FALSE);
}

void CNyMultiTrackDoc::ApplySolo()
{
    int count = GetTrackCount();
    bool solo = false;
    for (int i = 0; i < count && !solo; ++i)
        solo = GetTrackFlag(i, kMtFlagSolo) != 0;
    for (int i = 0; i < count; ++i) {
        bool silenced = IsTrackSilenced(i) != 0;
        bool wanted = solo ? !GetTrackFlag(i, kMtFlagSolo) : GetTrackFlag(i, kMtFlagMute) != 0;
        if (silenced != wanted)
            SetTrackSilenced(i, wanted);
        if (!solo)
            ApplyTrackFlag32(i, GetTrackFlag(i, kMtFlagFurther));
    }
}

void CNyMultiTrackDoc::SetTrackMute(int index, BOOL value)
{
    if (!CanMute())
        return;
    int count = GetTrackCount();
    if (index >= 0) {
        int group = GetTrackGroup(index);
        SetTrackFlag(index, kMtFlagMute, value);
        SetTrackFlag(index, kMtFlagSolo, FALSE);
        if (m_grouping) {
            for (int i = 0; i < count; ++i) {
                if (i == index || GetTrackGroup(i) != group)
                    continue;
                SetTrackFlag(i, kMtFlagMute, value);
                if (GetTrackFlag(i, kMtFlagSolo))
                    SetTrackFlag(i, kMtFlagSolo, FALSE);
            }
        }
    } else {
        for (int i = 0; i < count; ++i) {
            SetTrackFlag(i, kMtFlagMute, value);
            SetTrackFlag(i, kMtFlagSolo, FALSE);
        }
    }
    ApplySolo();
    RepaintTrackState();
}

void CNyMultiTrackDoc::SetTrackSolo(int index, BOOL value)
{
    if (!HasMultipleGroups())
        return;
    int count = GetTrackCount();
    int group = GetTrackGroup(index);
    SetTrackFlag(index, kMtFlagSolo, value);
    SetTrackFlag(index, kMtFlagMute, FALSE);
    if (m_grouping) {
        for (int i = 0; i < count; ++i) {
            if (i == index || GetTrackGroup(i) != group)
                continue;
            SetTrackFlag(i, kMtFlagSolo, value);
            if (GetTrackFlag(i, kMtFlagMute))
                SetTrackFlag(i, kMtFlagMute, FALSE);
        }
    }
    if (value) {
        // Soloing every track solos nothing.
        bool all = count > 0;
        for (int i = 0; i < count && all; ++i)
            all = GetTrackFlag(i, kMtFlagSolo) != 0;
        if (all)
            for (int i = 0; i < count; ++i)
                SetTrackFlag(i, kMtFlagSolo, FALSE);
    }
    ApplySolo();
    RepaintTrackState();
}

void CNyMultiTrackDoc::SetTrackRecord(int index, BOOL value)
{
    DocumentHost& host = GetDocumentHost();
    if (!IsEditable() || host.IsTransportBusy())
        return;
    RepaintTrackState();
    int count = GetTrackCount();
    if (host.IsAsioInUse()) {
        bool anyBefore = false;
        for (int i = 0; i < count && !anyBefore; ++i)
            anyBefore = GetTrackFlag(i, kMtFlagRecord) != 0;
        BOOL previous = GetTrackFlag(index, kMtFlagRecord);
        SetTrackFlag(index, kMtFlagRecord, value);
        bool anyAfter = false;
        for (int i = 0; i < count && !anyAfter; ++i)
            anyAfter = GetTrackFlag(i, kMtFlagRecord) != 0;
        if (anyBefore != anyAfter) {
            HRESULT hr = host.SetupMonitoring();
            if (FAILED(hr)) {
                SetTrackFlag(index, kMtFlagRecord, previous);
                RefreshController();
                host.ShowErrorText(hr);
            }
        }
        RefreshController();
        RepaintTrackState();
        return;
    }
    if (value) {
        WORD recordChannels = 2;
        if (!m_engine || FAILED(m_engine->GetRecordChannels(&recordChannels)))
            recordChannels = 2;
        if (GetTrackChannels(index) != recordChannels && GetTrackExtent(index, 0) != 0) {
            host.ShowErrorText(kDocErrRecordChannels);
            return;
        }
        for (int i = 0; i < count; ++i)
            if (GetTrackFlag(i, kMtFlagRecord))
                SetTrackFlag(i, kMtFlagRecord, FALSE);
    }
    SetTrackFlag(index, kMtFlagRecord, value);
    RepaintTrackState();
}

HRESULT CNyMultiTrackDoc::CheckRecordTracks()
{
    if (!GetDocumentHost().IsRecordWhilePlaying())
        return S_OK;
    int count = GetTrackCount();
    if (count < 6)
        return S_OK;
    for (int i = 0; i < count; ++i)
        if (GetTrackExtent(i, 0) == 0)
            return S_OK;
    return kDocErrNoMoreTracks;
}

void CNyMultiTrackDoc::SetLeadTrack(int index)
{
    m_leadTrack = index;
    GetDocumentHost().RefreshMixer(FALSE);
}

void CNyMultiTrackDoc::EnableGrouping(BOOL value)
{
    m_grouping = value ? 1 : 0;
    RepaintTrackState();
}

void CNyMultiTrackDoc::AssignGroupToLeadTrack(int index, BOOL useLead)
{
    int group = useLead ? GetTrackGroup(m_leadTrack) : GetFreeGroupNumber();
    SetTrackGroup(GetTrack(index), group);
    RepaintTrackState();
}

void CNyMultiTrackDoc::BuildFadeHandles(int direction, int curve)
{
    if (!m_handleEditors)
        return;
    ViewGeometry* view = GetMultiTrackView();
    int count = GetTrackCount();
    if (view && view->GetEditMode() == 2) {
        for (int i = 0; i < count; ++i) {
            CFadeHandleEditor* editor = GetHandleEditTrack(i);
            if (!editor)
                continue;
            int64_t start = 0, end = 0;
            editor->Reset(-1);
            editor->GetRange(&start, &end);
            editor->SetHandles(start, 1.0f);
            editor->SetHandles(end, 1.0f);
            editor->InvalidateTrack(1);
        }
        return;
    }
    if (curve != kCmdFadeSine && curve != kCmdFadeLinear)
        return;
    bool fadeIn = direction == kCmdFadeIn;
    float a = fadeIn ? 0.0f : 1.0f;
    float b = fadeIn ? 1.0f : 0.0f;
    for (int i = 0; i < count; ++i) {
        CFadeHandleEditor* editor = GetHandleEditTrack(i);
        if (!editor)
            continue;
        int64_t start = 0, end = 0;
        editor->Reset(-1);
        editor->GetRange(&start, &end);
        editor->SetHandles(start, a);
        editor->SetHandles(end, b);
        if (curve == kCmdFadeSine && end - start >= 3) {
            for (int k = 1; k < 180; k += 2) {
                int64_t position = start + (end - start) * k / 180;
                double angle = (k / 180.0 + (fadeIn ? 0.5 : 1.5)) * 3.1415926535;
                int percent = 50 - static_cast<int>(std::sin(angle) * 50.0);
                editor->SetHandles(position, static_cast<float>(percent * 0.01));
            }
        }
        editor->InvalidateTrack(1);
    }
}

void CNyMultiTrackDoc::RefreshController()
{
    GetDocumentHost().RefreshController();
}

void CNyMultiTrackDoc::UpdateMixer()
{
    GetDocumentHost().RefreshMixer(TRUE);
}

BOOL CNyMultiTrackDoc::IsEditable()
{
    return !GetDocumentHost().IsTransportBusy();
}

BOOL CNyMultiTrackDoc::HasMultipleGroups()
{
    if (!m_grouping)
        return TRUE;
    int count = GetTrackCount();
    if (count <= 1)
        return FALSE;
    int first = GetTrackGroup(0);
    for (int i = 1; i < count; ++i)
        if (GetTrackGroup(i) != first)
            return TRUE;
    return FALSE;
}

BOOL CNyMultiTrackDoc::CanMute()
{
    return TRUE;
}
