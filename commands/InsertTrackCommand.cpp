#include "TrackCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"
#include "StreamChunkFile.h"
#include "TrackCommandSupport.h"

#include <cstring>

InsertTrackCommand::InsertTrackCommand(const char* name, CommandDocument* document, WORD channels, int trackIndex)
    : RecordedCommand(name), m_document(document), m_channels(channels), m_trackIndex(trackIndex)
{
}

void InsertTrackCommand::GiveLabelName(const char* name)
{
    std::strncpy(m_labelName, name, sizeof m_labelName - 1);
}

int InsertTrackCommand::TargetIndex()
{
    if (m_trackIndex >= 0 && !Appends())
        return m_trackIndex;
    return m_document->GetTrackCount() - 1;
}

void InsertTrackCommand::SelectOnly(int index)
{
    m_document->SetTrackSelected(-1, FALSE);
    m_document->SetTrackSelected(index, TRUE);
}

HRESULT InsertTrackCommand::Do()
{
    return RunAtEdge([&] {
        if (!m_document || !m_document->GetTrackSet())
            throw CKvSSException(E_POINTER);
        if (m_channels > m_document->GetChannelLimit())
            throw CKvSSException(kErrFormatNotSupported);
        ComRef<IMtTrack> track;
        HRESULT hr = ThrowIfFailed(
            m_document->GetTrackSet()->InsertTrack(0, m_channels, track.Out(), Appends() ? -1 : m_trackIndex));
        m_track = std::move(track);
        int target = TargetIndex();
        if (Appends())
            SelectOnly(target);
        else
            m_document->SetTrackSelected(target, TRUE);
        GiveTrackLabel(m_document, target, m_labelName, &m_label);
        return hr;
    });
}

HRESULT InsertTrackCommand::Redo()
{
    return RunAtEdge([&] {
        if (!m_track)
            return S_OK;
        HRESULT hr =
            ThrowIfFailed(m_document->GetTrackSet()->AttachTrack(m_track.Get(), Appends() ? -1 : m_trackIndex));
        if (m_label.id > 0)
            m_document->SetLabelAt(m_label);
        SelectOnly(TargetIndex());
        return hr;
    });
}

HRESULT InsertTrackCommand::Undo()
{
    return RunAtEdge([&] {
        if (!m_track)
            return S_OK;
        HRESULT hr = ThrowIfFailed(m_document->GetTrackSet()->DetachTrack(m_track.Get()));
        if (m_label.id > 0)
            m_document->RemoveLabel(m_label);
        int target = m_trackIndex >= 0 && !Appends() ? m_trackIndex : m_document->GetTrackCount() - 1;
        if (target >= m_document->GetTrackCount())
            target = m_document->GetTrackCount() - 1;
        SelectOnly(target);
        return hr;
    });
}
