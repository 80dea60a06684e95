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
