#include "CopyTrackCommand.h"

#include "LabelRecord.h"
#include "OperationEdge.h"
#include "TrackCommandSupport.h"

CopyTrackCommand::CopyTrackCommand(const char* name, CommandDocument* document, int sourceIndex, int targetIndex)
    : RecordedCommand(name), m_document(document), m_sourceIndex(sourceIndex), m_targetIndex(targetIndex)
{
}

HRESULT CopyTrackCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> source = TrackAt(m_document, m_sourceIndex);
        ComRef<IMtTrack> copy;
        ThrowIfFailed(source->Duplicate(copy.Out()));
        if (!copy)
            throw CKvSSException(E_FAIL);
        HRESULT hr = ThrowIfFailed(TrackSetOf(m_document)->AttachTrack(copy.Get(), m_targetIndex));
        m_copy = std::move(copy);
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetTrackSelected(m_targetIndex, TRUE);
        GiveTrackLabel(m_document, m_targetIndex, m_labelName, &m_label);
        return hr;
    });
}

HRESULT CopyTrackCommand::Redo()
{
    return RunAtEdge([&] {
        if (!m_copy)
            throw CKvSSException(E_FAIL);
        HRESULT hr = ThrowIfFailed(TrackSetOf(m_document)->AttachTrack(m_copy.Get(), m_targetIndex));
        if (m_label.id > 0)
            m_document->SetLabelAt(m_label);
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetTrackSelected(m_targetIndex, TRUE);
        return hr;
    });
}

HRESULT CopyTrackCommand::Undo()
{
    return RunAtEdge([&] {
        if (!m_copy)
            throw CKvSSException(E_FAIL);
        HRESULT hr = ThrowIfFailed(TrackSetOf(m_document)->DetachTrack(m_copy.Get()));
        if (m_label.id > 0)
            m_document->RemoveLabel(m_label);
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetTrackSelected(m_sourceIndex, TRUE);
        return hr;
    });
}
