#include "EnvelopeCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT DeleteClearEnvelopeCommand::Redo()
{
    return RunAtEdge([&] {
        ComRef<IMtEnvelope> envelope = GetEnvelope();
        ComRef<IMtEnvelope> copy;
        ThrowIfFailed(envelope->Clone(copy.Out()));
        m_copy = std::move(copy);
        return ThrowIfFailed(envelope->Clear());
    });
}

HRESULT DeleteClearEnvelopeCommand::Undo()
{
    return RunAtEdge([&] { return ThrowIfFailed(GetEnvelope()->Restore(m_copy.Get())); });
}

HRESULT DeleteClearEnvelopeCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT DeleteClearEnvelopeCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int32_t>(block, 260, m_trackIndex);
    PutField<int32_t>(block, 264, m_kind);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT DeleteClearEnvelopeCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_trackIndex = GetField<int32_t>(block, 260);
        m_kind = GetField<int32_t>(block, 264);
        return S_OK;
    });
}
