#include "ClipCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

EditSampleCommand::EditSampleCommand(const char* name, CommandDocument* document, int trackIndex, WORD channel,
                                     int64_t position, int32_t value)
    : RangeCommand(name, document, trackIndex, position, 0, nullptr), m_value(value), m_channel(channel)
{
}

HRESULT EditSampleCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = GetTrack();
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(SaveTrackContent());
        HRESULT hr = ThrowIfFailed(track->WriteSample(m_channel, m_range.start, m_value));
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return hr;
    });
}

HRESULT EditSampleCommand::Redo()
{
    m_document->SetTrackSelected(-1, FALSE);
    RangeCommand::Redo();
    m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
    return S_OK;
}

HRESULT EditSampleCommand::Undo()
{
    m_document->SetTrackSelected(-1, FALSE);
    RangeCommand::Undo();
    m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
    return S_OK;
}

HRESULT EditSampleCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT EditSampleCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int64_t>(block, 264, m_range.start);
    PutField<int64_t>(block, 272, m_range.end);
    PutField<int32_t>(block, 280, m_trackIndex);
    PutField<uint16_t>(block, 284, m_channel);
    PutField<int32_t>(block, 288, m_value);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT EditSampleCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_range.start = GetField<int64_t>(block, 264);
        m_range.end = GetField<int64_t>(block, 272);
        m_trackIndex = GetField<int32_t>(block, 280);
        m_channel = GetField<uint16_t>(block, 284);
        m_value = GetField<int32_t>(block, 288);
        return S_OK;
    });
}
