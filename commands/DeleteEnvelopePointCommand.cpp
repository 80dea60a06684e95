#include "EnvelopeCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

DeleteEnvelopePointCommand::DeleteEnvelopePointCommand(const char* name, CommandDocument* document, int trackIndex,
                                                       int kind, int64_t position)
    : EnvelopeCommand(name, document, trackIndex, kind), m_position(position - document->GetTrackExtent(trackIndex, -1))
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

HRESULT DeleteEnvelopePointCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT DeleteEnvelopePointCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int64_t>(block, 264, m_position);
    PutField<int32_t>(block, 272, m_trackIndex);
    PutField<int32_t>(block, 276, m_kind);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT DeleteEnvelopePointCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_position = GetField<int64_t>(block, 264);
        m_trackIndex = GetField<int32_t>(block, 272);
        m_kind = GetField<int32_t>(block, 276);
        return S_OK;
    });
}
