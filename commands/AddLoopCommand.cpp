#include "MarkCommands.h"

#include "OperationEdge.h"

#include <cstdio>

AddLoopCommand::AddLoopCommand(const char* name, CommandDocument* document, int64_t start, int64_t length)
    : LabelCommand(name, document), m_range{start, start + length}
{
}

HRESULT AddLoopCommand::Do()
{
    return RunAtEdge([&] {
        m_record = LabelRecord{};
        m_record.kind = kLabelLoop;
        m_record.start = m_range.start;
        m_record.end = m_range.end;
        m_record.trackId = -1;
        snprintf(m_record.name, sizeof m_record.name, "%s", LoadResourceText(kIdsLoopName).c_str());
        AddLabelOrFail(m_document, m_record);
        m_document->SetActiveLabelId(m_record.id);
        return S_OK;
    });
}

HRESULT AddLoopCommand::Redo()
{
    return RunAtEdge([&] {
        SetLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT AddLoopCommand::Undo()
{
    return RunAtEdge([&] {
        RemoveLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT AddLoopCommand::OnLoaded()
{
    return RunAtEdge([&] {
        AddLabelOrFail(m_document, m_record);
        return Redo();
    });
}
