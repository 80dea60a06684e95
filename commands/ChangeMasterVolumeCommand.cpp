#include "ChangeMasterVolumeCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

ChangeMasterVolumeCommand::ChangeMasterVolumeCommand(const char* name, CommandDocument* document, int32_t newVolume,
                                                     int32_t oldVolume)
    : RecordedCommand(name), m_document(document), m_newVolume(newVolume), m_oldVolume(oldVolume)
{
}

HRESULT ChangeMasterVolumeCommand::Apply(int32_t volume)
{
    if (!m_document)
        return E_FAIL;
    m_document->SetMasterVolume(volume);
    return S_OK;
}
