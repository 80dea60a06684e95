#include "MarkCommands.h"

#include "CommandSupport.h"
#include "FwApp.h"
#include "OperationEdge.h"

void AddLabelOrFail(CommandDocument* document, LabelRecord& record)
{
    if (!document->AddLabel(record))
        throw CKvSSException(E_FAIL);
}

void SetLabelOrFail(CommandDocument* document, const LabelRecord& record)
{
    if (!document->SetLabelAt(record))
        throw CKvSSException(E_FAIL);
}

void RemoveLabelOrFail(CommandDocument* document, const LabelRecord& record)
{
    if (!document->RemoveLabel(record))
        throw CKvSSException(E_FAIL);
}

std::string LoadResourceText(UINT id)
{
    char text[512] = {};
    ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

HRESULT LabelCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT LabelCommand::WriteBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        uint8_t block[kRecordSize] = {};
        FillHeader(block, kRecordSize);
        LabelRecord stored = m_record;
        // By index: ids differ in a rebuilt document, places do not.
        if (StoresTrackIndex() && m_document)
            stored.trackId = m_document->TrackIdToIndex(stored.trackId);
        std::memcpy(block + 258, &stored, sizeof stored);
        return WriteRecord(stream, block, sizeof block);
    });
}

HRESULT LabelCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        std::memcpy(&m_record, block + 258, sizeof m_record);
        if (StoresTrackIndex())
            m_record.trackId = m_document->TrackIndexToId(m_record.trackId);
        return S_OK;
    });
}
