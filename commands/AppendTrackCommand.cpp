#include "TrackCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT AppendTrackCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT AppendTrackCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<uint16_t>(block, 258, m_channels);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT AppendTrackCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_channels = GetField<uint16_t>(block, 258);
        m_trackIndex = -1;
        return S_OK;
    });
}
