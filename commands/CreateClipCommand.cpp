#include "ClipCommands.h"

#include "CommandSupport.h"
#include "KsMultiTrackLoader.h"
#include "OperationEdge.h"

CreateClipCommand::CreateClipCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start,
                                     int64_t length, IUnknown* item)
    : RecordedCommand(name, document, trackIndex, start, length, nullptr), m_item(ComRef<IUnknown>::Share(item))
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

void CreateClipCommand::PutItem(uint8_t* at) const
{
    ComRef<IMtItem> item = QueryCom<IMtItem>(m_item.Get());
    if (!item)
        throw CKvSSException(E_NOINTERFACE);
    MtFileItemRecord info{};
    ThrowIfFailed(item->GetInfo(&info));
    std::memcpy(at, &info, sizeof info);
}

void CreateClipCommand::GetItem(const uint8_t* at)
{
    MtFileItemRecord info{};
    std::memcpy(&info, at, sizeof info);
    info.path[sizeof info.path - 1] = 0;
    ComRef<IMtTempStore> store;
    ThrowIfFailed(MtEngine::CreateTempStore(store));
    ComRef<IUnknown> item;
    if (store->LookupTrack(&info, item.Out(), 1) != S_OK || !item)
        throw CKvSSException(E_FAIL);
    m_item = std::move(item);
}
