#include "MarkCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT DelMarkCommand::Do()
{
    LabelRecord found{};
    // A removed label is found by its id too; it is no longer there to delete.
    if (!m_document || !m_document->FindLabelById(m_labelId, &found) || found.id <= 0)
        return E_FAIL;
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
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int32_t>(block, 260, m_labelId);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT DelMarkCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_labelId = GetField<int32_t>(block, 260);
        return S_OK;
    });
}
