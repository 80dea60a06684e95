#include "ClipCommands.h"

#include "CommandSupport.h"
#include "KsMultiTrackLoader.h"
#include "OperationEdge.h"

CreateClipCommand::CreateClipCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start,
                                     int64_t length, IUnknown* item)
    : RangeCommand(name, document, trackIndex, start, length, nullptr), m_item(ComRef<IUnknown>::Share(item))
{
}

HRESULT CreateClipCommand::Edit(IMtTrack* track, int64_t start, int64_t length)
{
    return track->FillRange(m_item.Get(), start, length);
}

HRESULT CreateClipCommand::Do()
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = GetTrack();
        ThrowIfFailed(SaveTrackContent());
        HRESULT hr = ThrowIfFailed(Edit(track.Get(), m_range.start, m_range.end - m_range.start));
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return hr;
    });
}

HRESULT CreateClipCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT CreateClipCommand::WriteBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        uint8_t block[kRecordSize] = {};
        FillHeader(block, kRecordSize);
        // The item's descriptor: its information record, by which the store finds it again.
        ComRef<IMtItem> item = QueryCom<IMtItem>(m_item.Get());
        if (!item)
            throw CKvSSException(E_NOINTERFACE);
        MtFileItemRecord info{};
        ThrowIfFailed(item->GetInfo(&info));
        std::memcpy(block + 260, &info, sizeof info);
        PutField<int64_t>(block, 552, m_range.start);
        PutField<int64_t>(block, 560, m_range.end);
        PutField<int32_t>(block, 568, m_trackIndex);
        PutField<int32_t>(block, 572, m_mergeMode);
        return WriteRecord(stream, block, sizeof block);
    });
}

HRESULT CreateClipCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        uint8_t block[kRecordSize] = {};
        ThrowIfFailed(ReadRecord(stream, block, sizeof block));
        m_range.start = GetField<int64_t>(block, 552);
        m_range.end = GetField<int64_t>(block, 560);
        m_trackIndex = GetField<int32_t>(block, 568);
        m_mergeMode = GetField<int32_t>(block, 572);
        MtFileItemRecord info{};
        std::memcpy(&info, block + 260, sizeof info);
        info.path[sizeof info.path - 1] = 0;
        ComRef<IMtTempStore> store;
        ThrowIfFailed(MtEngine::CreateTempStore(store));
        ComRef<IUnknown> item;
        if (store->LookupTrack(&info, item.Out(), 1) != S_OK || !item)
            throw CKvSSException(E_FAIL);
        m_item = std::move(item);
        return S_OK;
    });
}
