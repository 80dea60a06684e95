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

HRESULT DeleteClipCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT DeleteClipCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int64_t>(block, 264, m_range.start);
    PutField<int64_t>(block, 272, m_range.end);
    PutField<int32_t>(block, 280, m_trackIndex);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT DeleteClipCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_range.start = GetField<int64_t>(block, 264);
        m_range.end = GetField<int64_t>(block, 272);
        m_trackIndex = GetField<int32_t>(block, 280);
        return S_OK;
    });
}
