#include "ChangeMasterVolumeCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

ChangeMasterVolumeCommand::ChangeMasterVolumeCommand(const char* name, CommandDocument* document, int32_t newVolume,
                                                     int32_t oldVolume)
    : EditCommand(name), m_document(document), m_newVolume(newVolume), m_oldVolume(oldVolume)
{
}

HRESULT ChangeMasterVolumeCommand::Apply(int32_t volume)
{
    if (!m_document)
        return E_FAIL;
    m_document->SetMasterVolume(volume);
    return S_OK;
}

HRESULT ChangeMasterVolumeCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT ChangeMasterVolumeCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    PutField<int32_t>(block, 260, m_newVolume);
    PutField<int32_t>(block, 264, m_oldVolume);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT ChangeMasterVolumeCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_newVolume = GetField<int32_t>(block, 260);
        m_oldVolume = GetField<int32_t>(block, 264);
        return S_OK;
    });
}
