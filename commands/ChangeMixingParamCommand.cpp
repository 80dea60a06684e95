#include "ChangeMixingParamCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

ChangeMixingParamCommand::ChangeMixingParamCommand(const char* name, CommandDocument* document, int trackIndex,
                                                   int32_t parameter, float newValue, float oldValue)
    : RecordedCommand(name), m_document(document), m_trackIndex(trackIndex), m_parameter(parameter),
      m_newValue(newValue), m_oldValue(oldValue)
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
