#include "MarkCommands.h"

#include "OperationEdge.h"

AddMarkInfoCommand::AddMarkInfoCommand(const char* name, CommandDocument* document, const LabelRecord& record)
    : LabelCommand(name, document)
{
    m_record = record;
}

HRESULT AddMarkInfoCommand::Do()
{
    return RunAtEdge([&] {
        AddLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT AddMarkInfoCommand::Redo()
{
    return RunAtEdge([&] {
        SetLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT AddMarkInfoCommand::Undo()
{
    return RunAtEdge([&] {
        RemoveLabelOrFail(m_document, m_record);
        return S_OK;
    });
}
