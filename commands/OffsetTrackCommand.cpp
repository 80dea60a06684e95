#include "OffsetTrackCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

OffsetTrackCommand::OffsetTrackCommand(const char* name, CommandDocument* document, int trackIndex, int64_t newOffset)
    : EditCommand(name), m_document(document), m_trackIndex(trackIndex), m_newOffset(newOffset)
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

HRESULT OffsetTrackCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT OffsetTrackCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int32_t>(block, 260, m_trackIndex);
    PutField<int64_t>(block, 264, m_newOffset);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT OffsetTrackCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_trackIndex = GetField<int32_t>(block, 260);
        m_newOffset = GetField<int64_t>(block, 264);
        return S_OK;
    });
}
