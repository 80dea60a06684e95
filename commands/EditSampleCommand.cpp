#include "ClipCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

EditSampleCommand::EditSampleCommand(const char* name, CommandDocument* document, int trackIndex, WORD channel,
                                     int64_t position, int32_t value)
    : RecordedCommand(name, document, trackIndex, position, 0, nullptr), m_value(value), m_channel(channel)
{
}

HRESULT EditSampleCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = GetTrack();
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(SaveTrackContent());
        HRESULT hr = ThrowIfFailed(track->WriteSample(m_channel, m_range.start, m_value));
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return hr;
    });
}

HRESULT EditSampleCommand::Redo()
{
    m_document->SetTrackSelected(-1, FALSE);
    RangeCommand::Redo();
    m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
    return S_OK;
}

HRESULT EditSampleCommand::Undo()
{
    m_document->SetTrackSelected(-1, FALSE);
    RangeCommand::Undo();
    m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
    return S_OK;
}
