#include "MarkCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

ModMarkCommand::ModMarkCommand(const char* name, CommandDocument* document, const LabelRecord& record)
    : RecordedCommand(name, document)
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
