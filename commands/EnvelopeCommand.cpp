#include "EnvelopeCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

ComRef<IMtEnvelope> TrackEnvelope(CommandDocument* document, int trackIndex, int kind)
{
    ComRef<IMtTrack> track;
    if (trackIndex >= 0 && document && document->GetTrackSet())
        ThrowIfFailed(document->GetTrackSet()->GetTrack(trackIndex, track.Out()));
    if (!track)
        throw CKvSSException(E_POINTER);
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(track.Get());
    if (!set)
        throw CKvSSException(E_NOINTERFACE);
    ComRef<IMtEnvelope> envelope;
    ThrowIfFailed(set->GetEnvelope(kind, envelope.Out()));
    if (!envelope)
        throw CKvSSException(E_POINTER);
    return envelope;
}

bool FindEnvelopePoint(IMtEnvelope* envelope, int64_t position, float* value)
{
    ComRef<IMtEnvelopePointEnum> points;
    ThrowIfFailed(envelope->EnumPoints(points.Out()));
    MtEnvelopePointItem item{};
    int64_t at = 0;
    bool found = false;
    while (points && points->Next(&item) == S_OK) {
        at += item.distance;
        if (at == position) {
            *value = item.value;
            found = true;
        }
    }
    return found;
}

ComRef<IMtEnvelope> EnvelopeCommand::GetEnvelope()
{
    return TrackEnvelope(m_document, m_trackIndex, m_kind);
}

InsertEnvelopePointCommand::InsertEnvelopePointCommand(const char* name, CommandDocument* document, int trackIndex,
                                                       int kind, int64_t position, float value)
    : RecordedCommand(name, document, trackIndex, kind),
      m_position(position - document->GetTrackExtent(trackIndex, -1)), m_value(value)
{
}

HRESULT InsertEnvelopePointCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtEnvelope> envelope = GetEnvelope();
        // The engine replaces a point standing at the position: undo must bring it back.
        m_replacedValue = 0;
        m_replaced = FindEnvelopePoint(envelope.Get(), m_position, &m_replacedValue);
        return ThrowIfFailed(envelope->InsertPoint(m_position, m_value));
    });
}

HRESULT InsertEnvelopePointCommand::Redo()
{
    return RunAtEdge([&] { return ThrowIfFailed(GetEnvelope()->InsertPoint(m_position, m_value)); });
}

HRESULT InsertEnvelopePointCommand::Undo()
{
    return RunAtEdge([&] {
        ComRef<IMtEnvelope> envelope = GetEnvelope();
        if (m_replaced)
            return ThrowIfFailed(envelope->InsertPoint(m_position, m_replacedValue));
        return ThrowIfFailed(envelope->DeletePoint(m_position));
    });
}
