#include "ClipCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT DeleteClipCommand::Edit(IMtTrack* track, int64_t start, int64_t length)
{
    return track->DeleteRange(start, length);
}

HRESULT DeleteClipCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = GetTrack();
        ThrowIfFailed(SaveTrackContent());
        HRESULT hr = ThrowIfFailed(Edit(track.Get(), m_range.start, m_range.end - m_range.start));
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return hr;
    });
}
