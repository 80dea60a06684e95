#include "SelectionGroupCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

SelectionGroupCommand::SelectionGroupCommand(const char* name, CommandDocument* document)
    : RecordedCommand(name), m_document(document)
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
