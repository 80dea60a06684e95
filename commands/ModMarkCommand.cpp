#include "MarkCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

ModMarkCommand::ModMarkCommand(const char* name, CommandDocument* document, const LabelRecord& record)
    : LabelCommand(name, document)
{
    m_record = record;
}

HRESULT ModMarkCommand::Do()
{
    LabelRecord found{};
    if (!m_document)
        return E_FAIL;
    if (m_named) {
        if (!FindSameLabel(m_document, m_old, &found))
            return E_FAIL;
        m_record.id = found.id;
        if (m_record.trackId == kSavedRemovedTrack)
            m_record.trackId = found.trackId;
    } else if (!m_document->FindLabelById(m_record.id, &found) || found.id <= 0) {
        return E_FAIL;
    }
    m_old = found;
    return Redo();
}

HRESULT ModMarkCommand::Redo()
{
    return RunAtEdge([&] {
        SetLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT ModMarkCommand::Undo()
{
    return RunAtEdge([&] {
        SetLabelOrFail(m_document, m_old);
        return S_OK;
    });
}

HRESULT ModMarkCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT ModMarkCommand::WriteBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        uint8_t block[kRecordSize] = {};
        FillHeader(block, kRecordSize);
        PutField<LabelRecord>(block, 258, TrackByIndex(m_document, m_record));
        PutField<LabelRecord>(block, 542, TrackByIndex(m_document, m_old));
        return WriteRecord(stream, block, sizeof block);
    });
}

HRESULT ModMarkCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        m_named = StoredRecordSize(stream) != kLegacyRecordSize;
        ThrowIfFailed(ReadRecord(stream, block, m_named ? kRecordSize : kLegacyRecordSize));
        m_record = TrackById(m_document, GetField<LabelRecord>(block, 258));
        if (m_named)
            m_old = TrackById(m_document, GetField<LabelRecord>(block, 542));
        return S_OK;
    });
}
