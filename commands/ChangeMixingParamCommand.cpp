#include "ChangeMixingParamCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

ChangeMixingParamCommand::ChangeMixingParamCommand(const char* name, CommandDocument* document, int trackIndex,
                                                   int32_t parameter, float newValue, float oldValue)
    : EditCommand(name), m_document(document), m_trackIndex(trackIndex), m_parameter(parameter), m_newValue(newValue),
      m_oldValue(oldValue)
{
}

HRESULT ChangeMixingParamCommand::Apply(float value)
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = TrackAt(m_document, m_trackIndex);
        ComRef<IMtEnvelopeSet> envelopes = QueryCom<IMtEnvelopeSet>(track.Get());
        if (!envelopes)
            throw CKvSSException(E_NOINTERFACE);
        ThrowIfFailed(envelopes->SetValue(m_parameter, value));
        return S_OK;
    });
}

HRESULT ChangeMixingParamCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT ChangeMixingParamCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int32_t>(block, 260, m_trackIndex);
    PutField<int32_t>(block, 264, m_parameter);
    PutField<float>(block, 268, m_newValue);
    PutField<float>(block, 272, m_oldValue);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT ChangeMixingParamCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_trackIndex = GetField<int32_t>(block, 260);
        m_parameter = GetField<int32_t>(block, 264);
        m_newValue = GetField<float>(block, 268);
        m_oldValue = GetField<float>(block, 272);
        return S_OK;
    });
}
