#include "OffsetTrackCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

OffsetTrackCommand::OffsetTrackCommand(const char* name, CommandDocument* document, int trackIndex, int64_t newOffset)
    : RecordedCommand(name), m_document(document), m_trackIndex(trackIndex), m_newOffset(newOffset)
{
}

HRESULT OffsetTrackCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = TrackAt(m_document, m_trackIndex);
        LONGLONG old = 0;
        ThrowIfFailed(track->GetStartOffset(&old));
        HRESULT hr = ThrowIfFailed(track->SetStartOffset(m_newOffset));
        m_oldOffset = old;
        return hr;
    });
}

HRESULT OffsetTrackCommand::SetOffset(int64_t offset)
{
    return RunAtEdge([&] { return ThrowIfFailed(TrackAt(m_document, m_trackIndex)->SetStartOffset(offset)); });
}

HRESULT OffsetTrackCommand::Redo()
{
    return SetOffset(m_newOffset);
}

HRESULT OffsetTrackCommand::Undo()
{
    return SetOffset(m_oldOffset);
}
