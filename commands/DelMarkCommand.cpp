#include "MarkCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT DelMarkCommand::Do()
{
    LabelRecord found{};
    if (!m_document)
        return E_FAIL;
    if (m_named) {
        if (!FindSameLabel(m_document, m_record, &found))
            return E_FAIL;
        m_labelId = found.id;
    } else if (!m_document->FindLabelById(m_labelId, &found) || found.id <= 0) {
        // A removed label is found by its id too; it is no longer there to delete.
        return E_FAIL;
    }
    m_record = found;
    return Redo();
}

HRESULT DelMarkCommand::Redo()
{
    return RunAtEdge([&] {
        RemoveLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT DelMarkCommand::Undo()
{
    return RunAtEdge([&] {
        SetLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT DelMarkCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT DelMarkCommand::WriteBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        uint8_t block[kRecordSize] = {};
        FillHeader(block, kRecordSize);
        PutField<int32_t>(block, 260, m_labelId);
        PutField<LabelRecord>(block, 264, TrackByIndex(m_document, m_record));
        return WriteRecord(stream, block, sizeof block);
    });
}

HRESULT DelMarkCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        m_named = StoredRecordSize(stream) != kLegacyRecordSize;
        ThrowIfFailed(ReadRecord(stream, block, m_named ? kRecordSize : kLegacyRecordSize));
        m_labelId = GetField<int32_t>(block, 260);
        if (m_named)
            m_record = TrackById(m_document, GetField<LabelRecord>(block, 264));
        return S_OK;
    });
}
