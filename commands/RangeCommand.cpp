#include "RangeCommand.h"

#include "OperationEdge.h"

RangeCommand::RangeCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length,
                           IMtClip* forward)
    : EditCommand(name), m_document(document),
      m_forward(ComRef<IMtClip>::Share(forward)), m_range{start, start + length}, m_trackIndex(trackIndex)
{
    m_range.Normalize();
}

ComRef<IMtTrack> RangeCommand::GetTrack()
{
    IMtTrackSet* tracks = m_document ? m_document->GetTrackSet() : nullptr;
    if (m_trackIndex < 0 || !tracks)
        throw CKvSSException(E_FAIL);
    ComRef<IMtTrack> track;
    ThrowIfFailed(tracks->GetTrack(m_trackIndex, track.Out()));
    if (!track)
        throw CKvSSException(E_FAIL);
    return track;
}

HRESULT RangeCommand::SaveTrackContent()
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = GetTrack();
        LONGLONG start = 0;
        ThrowIfFailed(track->GetStartOffset(&start));
        ComRef<IMtClip> copy;
        ThrowIfFailed(track->CopyToEnd(copy.Out(), start));
        if (!copy)
            throw CKvSSException(E_FAIL);
        HRESULT hr = ThrowIfFailed(copy->SetStartOffset(start));
        m_backward = std::move(copy);
        m_contentKept = true;
        return hr;
    });
}

HRESULT RangeCommand::Exchange(ComRef<IMtClip>& give)
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = GetTrack();
        // The content given away is kept until the swap has succeeded: a failed swap loses nothing.
        ComRef<IMtClip> previous;
        ThrowIfFailed(track->SwapContent(give.Get(), previous.Out()));
        give = std::move(previous);
        if (m_document)
            m_document->SetTrackSelected(m_trackIndex, TRUE);
        return S_OK;
    });
}

HRESULT RangeCommand::Redo()
{
    // forward goes into the track; what it held becomes backward, and forward is kept as
    // the track's content reference.
    if (!m_contentKept)
        return S_OK;
    ComRef<IMtClip> give = m_forward;
    HRESULT hr = Exchange(give);
    if (SUCCEEDED(hr))
        m_backward = std::move(give);
    return hr;
}

HRESULT RangeCommand::Undo()
{
    // Swapping in a content never kept would empty the track.
    if (!m_contentKept)
        return S_OK;
    ComRef<IMtClip> give = m_backward;
    HRESULT hr = Exchange(give);
    if (SUCCEEDED(hr))
        m_forward = std::move(give);
    return hr;
}
