#include "SelectionGroupCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

SelectionGroupCommand::SelectionGroupCommand(const char* name, CommandDocument* document)
    : CommandGroup(name), m_document(document)
{
    if (m_document)
        m_document->GetSelectionRange(&m_range.start, &m_range.end);
}

void SelectionGroupCommand::Before()
{
    if (m_document)
        m_document->SetTrackSelected(-1, FALSE);
}

HRESULT SelectionGroupCommand::After(HRESULT step)
{
    if (SUCCEEDED(step) && m_document)
        m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
    return step;
}

HRESULT SelectionGroupCommand::Do()
{
    Before();
    return After(CommandGroup::Do());
}

HRESULT SelectionGroupCommand::Redo()
{
    Before();
    return After(CommandGroup::Redo());
}

HRESULT SelectionGroupCommand::Undo()
{
    Before();
    return After(CommandGroup::Undo());
}

HRESULT SelectionGroupCommand::OnLoaded()
{
    if (!m_document)
        return E_FAIL;
    m_document->SetTrackSelected(-1, FALSE);
    m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
    return S_OK;
}

HRESULT SelectionGroupCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT SelectionGroupCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int64_t>(block, 264, m_range.start);
    PutField<int64_t>(block, 272, m_range.end);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT SelectionGroupCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_range.start = GetField<int64_t>(block, 264);
        m_range.end = GetField<int64_t>(block, 272);
        return S_OK;
    });
}
