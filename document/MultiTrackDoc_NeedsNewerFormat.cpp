// Whether a sound file of a type can take the document as it stands or needs a mixdown:
// levels, pans and envelopes that a plain file cannot carry.
#include "MultiTrackDoc.h"

namespace {

// Every point of the track's envelope of this kind has the value; an envelope without
// points passes for any value. A track whose envelope cannot be had passes.
bool AllPointsAre(IMtTrack* track, LONG kind, float value)
{
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(track);
    ComRef<IMtEnvelope> envelope;
    if (!set || FAILED(set->GetEnvelope(kind, envelope.Out())))
        return true;
    LONG count = 0;
    if (FAILED(envelope->GetCount(&count)) || count == 0)
        return true;
    ComRef<IMtEnvelopePointEnum> points;
    if (FAILED(envelope->EnumPoints(points.Out())))
        return true;
    points->Reset();
    MtEnvelopePointItem point{};
    while (points->Next(&point) == S_OK)
        if (point.value != value)
            return false;
    return true;
}

} // namespace

BOOL CNyMultiTrackDoc::NeedsNewerFormat(int fileType)
{
    IMtTrackSet* set = GetTrackSet();
    if (!set)
        return FALSE;
    float master = 1.0f;
    set->GetMasterVolume(&master);
    if (master * 10000 != 10000)
        return TRUE;
    LONG automation = 0;
    set->GetReadAutomation(&automation);
    const int tracks = GetTrackCount();
    int channels = 0;
    for (int i = 0; i < tracks; ++i) {
        IMtTrack* track = GetTrack(i);
        float volume = 1.0f;
        if (track && SUCCEEDED(track->GetVolume(&volume)) && volume != 1.0f)
            return TRUE;
        if (track && automation && !AllPointsAre(track, kMtEnvLevel, 0.0f))
            return TRUE;
        channels += GetTrackChannels(i);
    }
    if (m_settings.documentType == 1)
        return TRUE;
    auto panTest = [&] {
        for (int i = 0; i < tracks; ++i) {
            IMtTrack* track = GetTrack(i);
            float pan = 0.0f;
            if (track && SUCCEEDED(track->GetPan(&pan)) && pan != 0.0f)
                return false;
            if (track && automation && !AllPointsAre(track, kMtEnvPan, 0.0f))
                return false;
        }
        return true;
    };
    if (channels == 1 || (channels == 2 && tracks == 1))
        return panTest() ? FALSE : TRUE;
    if (channels == 2 && tracks == 2) {
        float left = 0.0f, right = 0.0f;
        GetTrack(0)->GetPan(&left);
        GetTrack(1)->GetPan(&right);
        if (left != -1.0f || right != 1.0f)
            return TRUE;
        if (automation && (!AllPointsAre(GetTrack(0), kMtEnvPan, -1.0f) || !AllPointsAre(GetTrack(1), kMtEnvPan, 1.0f)))
            return TRUE;
        return FALSE;
    }
    return fileType == 3 ? (panTest() ? FALSE : TRUE) : TRUE;
}
