#include "MarkCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

#include <cstdio>

namespace {
LabelEditStarter g_editStarter = nullptr;
}

void SetLabelEditStarter(LabelEditStarter starter)
{
    g_editStarter = starter;
}

AddMarkCommand::AddMarkCommand(const char* name, CommandDocument* document, int trackIndex, int64_t position,
                               int64_t length, int beginEdit)
    : LabelCommand(name, document), m_range{position, position + length}, m_trackIndex(trackIndex),
      m_beginEdit(beginEdit)
{
}

HRESULT AddMarkCommand::Do()
{
    return RunAtEdge([&] {
        m_record = LabelRecord{};
        m_record.kind = m_range.end != m_range.start ? kLabelSection : kLabelCue;
        m_record.start = m_range.start;
        m_record.end = m_range.end;
        m_record.trackId = m_document->TrackIndexToId(m_trackIndex);
        std::string format = LoadResourceText(m_record.kind == kLabelCue ? kIdsCueName : kIdsSectionName);
        snprintf(m_record.name, sizeof m_record.name, format.c_str(), m_document->GetLabelCount(m_record.kind) + 1);
        AddLabelOrFail(m_document, m_record);
        if (m_beginEdit && g_editStarter && m_document->GetMultiTrackView() && m_document->IsViewIdle())
            g_editStarter(m_document, m_record, 0);
        return S_OK;
    });
}

HRESULT AddMarkCommand::Redo()
{
    return RunAtEdge([&] {
        SetLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT AddMarkCommand::Undo()
{
    return RunAtEdge([&] {
        RemoveLabelOrFail(m_document, m_record);
        return S_OK;
    });
}

HRESULT AddMarkCommand::OnLoaded()
{
    return RunAtEdge([&] {
        AddLabelOrFail(m_document, m_record);
        return Redo();
    });
}
