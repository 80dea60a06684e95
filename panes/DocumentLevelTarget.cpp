#include "DocumentLevelTarget.h"

#include "ChangeMixingParamCommand.h"
#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "MultiTrackDoc.h"

namespace {
constexpr int kVolumeMaximum = 15000;
}

bool DocumentLevelTarget::Read(int track, int kind, float* value)
{
    IMtTrack* t = m_document ? m_document->GetTrack(track) : nullptr;
    ComRef<IMtEnvelopeSet> envelopes;
    return t && SUCCEEDED(t->QueryInterface(__uuidof(IMtEnvelopeSet), envelopes.OutVoid())) &&
           SUCCEEDED(envelopes->GetValue(kind, value));
}

void DocumentLevelTarget::Begin(int track, int kind)
{
    float value = 0.0f;
    if (!Read(track, kind, &value)) {
        m_track = -1;
        return;
    }
    m_track = track;
    m_kind = kind;
    m_before = value;
}

void DocumentLevelTarget::BeginVolumeChange(int track, int* minimum, int* maximum)
{
    Begin(track, 0);
    *minimum = 0;
    *maximum = kVolumeMaximum;
}

void DocumentLevelTarget::Set(int track, int kind, double value)
{
    IMtTrack* t = m_document ? m_document->GetTrack(track) : nullptr;
    ComRef<IMtEnvelopeSet> envelopes;
    if (t && SUCCEEDED(t->QueryInterface(__uuidof(IMtEnvelopeSet), envelopes.OutVoid())))
        envelopes->SetValue(kind, static_cast<float>(value));
}

void DocumentLevelTarget::End(int track, int kind)
{
    if (track != m_track || kind != m_kind)
        return;
    m_track = -1;
    float now = 0.0f;
    if (!Read(track, kind, &now) || now == m_before || !m_document->GetHistory())
        return;
    auto* command = NewCommand<ChangeMixingParamCommand>(kind == 0 ? "Volume" : "Pan", m_document, track,
                                                         kind == 0 ? kMixingVolume : kMixingPan, now, m_before);
    ComRef<IEditCommand> held(command);
    if (SUCCEEDED(m_document->GetHistory()->Add(command, TRUE)))
        m_document->SetModifiedFlag();
}

void DocumentLevelTarget::CancelLiveChange(int track)
{
    if (track != m_track)
        return;
    Set(track, m_kind, m_before);
    m_track = -1;
}
