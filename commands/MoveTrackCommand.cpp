#include "MoveTrackCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

MoveTrackCommand::MoveTrackCommand(const char* name, CommandDocument* document, int fromIndex, int toIndex)
    : RecordedCommand(name), m_document(document), m_fromIndex(fromIndex), m_toIndex(toIndex)
{
}

HRESULT MoveTrackCommand::Do()
{
    return RunAtEdge([&] {
        if (static_cast<unsigned>(m_fromIndex) < static_cast<unsigned>(m_toIndex))
            m_toIndex -= 1;
        return ThrowIfFailed(Redo());
    });
}

HRESULT MoveTrackCommand::Move(int from, int to)
{
    return RunAtEdge([&] {
        // Both ends must name tracks: the engine is not asked to move what is not there.
        int count = TrackCountOf(m_document);
        if (from < 0 || from >= count || to < 0 || to >= count)
            throw CKvSSException(kMtErrNoTrack);
        HRESULT hr = ThrowIfFailed(TrackSetOf(m_document)->MoveTrack(from, to));
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetTrackSelected(to, TRUE);
        return hr;
    });
}

HRESULT MoveTrackCommand::Redo()
{
    return Move(m_fromIndex, m_toIndex);
}

HRESULT MoveTrackCommand::Undo()
{
    return Move(m_toIndex, m_fromIndex);
}
