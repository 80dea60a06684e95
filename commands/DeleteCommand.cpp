#include "ClipboardCommands.h"

#include "ClipCommands.h"
#include "CommandSupport.h"
#include "EnvelopeCommands.h"
#include "MarkCommands.h"
#include "OperationEdge.h"

HRESULT DeleteCommand::Do()
{
    return RunGroupEdge(this, [&] {
        int count = m_document->GetTrackCount();
        m_document->GetOrderedSelection(&m_range.start, &m_range.end);
        int64_t length = Magnitude(m_range.end, m_range.start);
        for (int i = 0; i < count; ++i) {
            if (!m_document->IsTrackSelectedAt(i))
                continue;
            AddChild(this, NewCommand<DeleteClipCommand>(nullptr, m_document, i, m_range.start, length));
            AddChild(this, NewCommand<DeleteEnvelopeRangeCommand>(nullptr, m_document, i, m_range.start, length));
            std::vector<LabelRecord> labels;
            m_document->FindLabelsInRange(i, labels, m_range.start, -1, -1);
            for (LabelRecord& label : labels) {
                int kind = label.kind & 0xFF;
                if (kind != kLabelCue && kind != kLabelSection)
                    continue;
                if (label.start <= m_range.end || label.end <= m_range.end) {
                    Add(ComRef<IEditCommand>(NewCommand<DelMarkCommand>(nullptr, m_document, label.id)).Get());
                } else {
                    label.start -= length;
                    label.end -= length;
                    Add(ComRef<IEditCommand>(NewCommand<ModMarkCommand>(nullptr, m_document, label)).Get());
                }
            }
        }
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Do());
        // The clip children select their tracks; what stays selected is the caret alone.
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetSelectionRange(m_range.start, m_range.start, FALSE);
        return S_OK;
    });
}

HRESULT DeleteCommand::Redo()
{
    return RunAtEdge([&] {
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Redo());
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetSelectionRange(m_range.start, m_range.start, FALSE);
        return S_OK;
    });
}

HRESULT DeleteCommand::Undo()
{
    return RunAtEdge([&] {
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Undo());
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
        return S_OK;
    });
}

HRESULT DeleteCommand::OnLoaded()
{
    ClearRowsAndSelect(m_document, m_range.start, m_range.start);
    return S_OK;
}
