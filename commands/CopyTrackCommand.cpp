#include "CopyTrackCommand.h"

#include "LabelRecord.h"
#include "OperationEdge.h"
#include "TrackCommandSupport.h"

CopyTrackCommand::CopyTrackCommand(const char* name, CommandDocument* document, int sourceIndex, int targetIndex)
    : EditCommand(name), m_document(document), m_sourceIndex(sourceIndex), m_targetIndex(targetIndex)
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

HRESULT CopyTrackCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT CopyTrackCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int32_t>(block, 260, m_sourceIndex);
    PutField<int32_t>(block, 264, m_targetIndex);
    PutLabelName(block, 268, m_label, m_labelName);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT CopyTrackCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        const bool named = StoredRecordSize(stream) != kLegacyRecordSize;
        ThrowIfFailed(ReadRecord(stream, block, named ? kRecordSize : kLegacyRecordSize));
        m_sourceIndex = GetField<int32_t>(block, 260);
        m_targetIndex = GetField<int32_t>(block, 264);
        GetLabelName(block, 268, m_labelName);
        return S_OK;
    });
}
