#include "DeleteTrackCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

DeleteTrackCommand::DeleteTrackCommand(const char* name, CommandDocument* document, int trackIndex)
    : RecordedCommand(name), m_document(document), m_trackIndex(trackIndex)
{
}

HRESULT DeleteTrackCommand::Do()
{
    return RunAtEdge([&] {
        m_track = TrackAt(m_document, m_trackIndex);
        return ThrowIfFailed(Redo());
    });
}

HRESULT DeleteTrackCommand::Redo()
{
    return RunAtEdge([&] {
        if (!m_track)
            throw CKvSSException(E_FAIL);
        HRESULT hr = ThrowIfFailed(TrackSetOf(m_document)->DetachTrack(m_track.Get()));
        m_document->SetTrackSelected(m_trackIndex > 0 ? m_trackIndex - 1 : 0, TRUE);
        return hr;
    });
}

HRESULT DeleteTrackCommand::Undo()
{
    return RunAtEdge([&] {
        if (!m_track)
            throw CKvSSException(E_FAIL);
        HRESULT hr = ThrowIfFailed(TrackSetOf(m_document)->AttachTrack(m_track.Get(), m_trackIndex));
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return hr;
    });
}
