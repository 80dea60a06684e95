#include "EnvelopeCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

DeleteEnvelopePointCommand::DeleteEnvelopePointCommand(const char* name, CommandDocument* document, int trackIndex,
                                                       int kind, int64_t position)
    : RecordedCommand(name, document, trackIndex, kind), m_position(position - document->GetTrackExtent(trackIndex, -1))
{
}

HRESULT DeleteEnvelopePointCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtEnvelope> envelope = GetEnvelope();
        m_value = 0;
        m_found = FindEnvelopePoint(envelope.Get(), m_position, &m_value);
        return ThrowIfFailed(envelope->DeletePoint(m_position));
    });
}

HRESULT DeleteEnvelopePointCommand::Redo()
{
    return RunAtEdge([&] { return ThrowIfFailed(GetEnvelope()->DeletePoint(m_position)); });
}

HRESULT DeleteEnvelopePointCommand::Undo()
{
    // No point stood there: undoing the delete adds none.
    if (!m_found)
        return S_OK;
    return RunAtEdge([&] { return ThrowIfFailed(GetEnvelope()->InsertPoint(m_position, m_value)); });
}
