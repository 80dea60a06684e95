#include "MarkCommands.h"

#include "OperationEdge.h"

ModMarkCommand::ModMarkCommand(const char* name, CommandDocument* document, const LabelRecord& record)
    : LabelCommand(name, document)
{
    m_record = record;
}

HRESULT ModMarkCommand::Do()
{
    LabelRecord found{};
    if (!m_document || !m_document->FindLabelById(m_record.id, &found) || found.id <= 0)
        return E_FAIL;
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
