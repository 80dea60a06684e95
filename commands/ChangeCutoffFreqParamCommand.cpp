#include "ChangeCutoffFreqParamCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

HRESULT ChangeCutoffFreqParamCommand::Apply(int32_t frequency, int32_t on)
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = TrackAt(m_document, m_trackIndex);
        ThrowIfFailed(track->SetSurroundValue(frequency));
        ThrowIfFailed(track->SetSurroundOn(on));
        return S_OK;
    });
}

HRESULT ChangeCutoffFreqParamCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT ChangeCutoffFreqParamCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int32_t>(block, 260, m_trackIndex);
    PutField<int32_t>(block, 264, m_newFrequency);
    PutField<int32_t>(block, 268, m_oldFrequency);
    PutField<int32_t>(block, 272, m_newSwitch);
    PutField<int32_t>(block, 276, m_oldSwitch);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT ChangeCutoffFreqParamCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_trackIndex = GetField<int32_t>(block, 260);
        m_newFrequency = GetField<int32_t>(block, 264);
        m_oldFrequency = GetField<int32_t>(block, 268);
        m_newSwitch = GetField<int32_t>(block, 272);
        m_oldSwitch = GetField<int32_t>(block, 276);
        return S_OK;
    });
}
