#include "TrackCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"
#include "TrackCommandSupport.h"

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
    PutLabelName(block, 260, m_label, m_labelName);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT AppendTrackCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        const bool named = StoredRecordSize(stream) != kLegacyRecordSize;
        ThrowIfFailed(ReadRecord(stream, block, named ? kRecordSize : kLegacyRecordSize));
        m_channels = GetField<uint16_t>(block, 258);
        GetLabelName(block, 260, m_labelName);
        m_trackIndex = -1;
        return S_OK;
    });
}
