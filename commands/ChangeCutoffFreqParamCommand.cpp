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
