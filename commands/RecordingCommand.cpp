#include "FileCommands.h"

#include "CommandSupport.h"
#include "KsMultiTrackLoader.h"
#include "OperationEdge.h"
#include "TrackCommands.h"

RecordingCommand::RecordingCommand(CommandDocument* document, IMtItemList* takes)
    : m_document(document), m_takes(ComRef<IMtItemList>::Share(takes))
{
    document->GetOrderedSelection(&m_range.start, &m_range.end);
}

HRESULT RecordingCommand::Do()
{
    return RunAtEdge([&] {
        if (!m_takes || m_takes->IsEmpty())
            throw CKvSSException(kErrNothingToDo);
        HRESULT last = S_OK;
        try {
            m_document->SetTrackSelected(-1, FALSE);
            int count = m_document->GetTrackCount();
            IMtTrackSet* set = m_document->GetTrackSet();
            if (!set)
                throw CKvSSException(E_POINTER);
            ThrowIfFailed(m_takes->ResetItems(0));
            int64_t replaced = Magnitude(m_range.end, m_range.start);
            ComRef<IUnknown> item;
            LONG trackId = -1;
            while (m_takes->NextItem(item.Out(), &trackId) == S_OK) {
                LONG index = -1;
                if (FAILED(set->TrackIdToIndex(trackId, &index)))
                    index = -1;
                ComRef<IMtItem> take = QueryCom<IMtItem>(item.Get());
                if (!take)
                    throw CKvSSException(E_NOINTERFACE);
                LONGLONG bytes = 0;
                HRESULT sized = take->GetSize(&bytes);
                MtFileItemRecord info{};
                take->GetInfo(&info);
                if (sized == S_OK)
                    m_recorded = std::max(m_recorded, ItemFrames(take.Get()));
                if (sized != S_OK || index < 0 || index >= count) {
                    DoAndAddChild(this, NewCommand<InsertTrackCommand>(nullptr, m_document, info.channels, -1));
                    count = m_document->GetTrackCount();
                    index = count - 1;
                }
                auto* open = NewCommand<OpenFileCommand>(m_document, index, m_range.start, replaced, item.Get());
                ComRef<IEditCommand> held(static_cast<IEditCommand*>(open));
                last = ThrowIfFailed(open->Do());
                HRESULT added = Add(open);
                if (FAILED(added)) {
                    open->Undo();
                    throw CKvSSException(added);
                }
            }
        } catch (...) {
            UndoChildrenBackwards(this);
            throw;
        }
        m_document->SetSelectionRange(m_range.start, m_range.start + m_recorded, FALSE);
        return last;
    });
}

HRESULT RecordingCommand::Redo()
{
    return RunAtEdge([&] {
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Redo());
        m_document->SetSelectionRange(m_range.start, m_range.start + m_recorded, FALSE);
        return S_OK;
    });
}

HRESULT RecordingCommand::Undo()
{
    return RunAtEdge([&] {
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Undo());
        m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
        return S_OK;
    });
}

size_t RecordingCommand::ListCount()
{
    LONG count = 0;
    if (m_takes && FAILED(m_takes->GetCount(&count)))
        count = 0;
    return count > 0 ? size_t(count) : 0;
}

void RecordingCommand::PutList(uint8_t* first, size_t count)
{
    static_assert(Take::Fields().Sound(), "every field inside the take, over no other");
    if (!m_takes)
        return;
    ThrowIfFailed(m_takes->ResetItems(0));
    ComRef<IUnknown> item;
    LONG trackId = -1;
    IMtTrackSet* set = m_document ? m_document->GetTrackSet() : nullptr;
    for (size_t i = 0; i < count && m_takes->NextItem(item.Out(), &trackId) == S_OK; ++i) {
        ComRef<IMtItem> data = QueryCom<IMtItem>(item.Get());
        if (!data)
            throw CKvSSException(E_NOINTERFACE);
        Take take;
        ThrowIfFailed(data->GetInfo(&take.info));
        LONG index = -1;
        if (!set || FAILED(set->TrackIdToIndex(trackId, &index)))
            index = -1;
        take.trackIndex = index;
        Take::Fields().Put(take, first + kTakeSize * i);
    }
}

void RecordingCommand::GetList(const uint8_t* first, size_t count)
{
    ComRef<IMtItemList> takes;
    ThrowIfFailed(MtEngine::CreateItemList(takes));
    ComRef<IMtTempStore> store;
    ThrowIfFailed(MtEngine::CreateTempStore(store));
    IMtTrackSet* set = m_document->GetTrackSet();
    for (size_t i = 0; i < count; ++i) {
        Take take;
        Take::Fields().Get(take, first + kTakeSize * i);
        take.info.path[sizeof take.info.path - 1] = 0;
        ComRef<IUnknown> item;
        if (store->LookupTrack(&take.info, item.Out(), 1) != S_OK || !item)
            throw CKvSSException(E_FAIL);
        LONG id = -1;
        if (take.trackIndex < 0 || !set || FAILED(set->TrackIndexToId(take.trackIndex, &id)))
            id = -1;
        ThrowIfFailed(takes->AddItem(item.Get(), id));
    }
    m_takes = std::move(takes);
}
