#include "FileCommands.h"

#include "ByteBuffer.h"
#include "CommandSupport.h"
#include "KsMultiTrackLoader.h"
#include "OperationEdge.h"
#include "StreamChunkFile.h"
#include "TrackCommands.h"

#include <vector>

namespace {
constexpr size_t kTakeIndexOffset = 288; // in a take: its track's index
}

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

LONG RecordingCommand::TakeCount()
{
    LONG count = 0;
    if (m_takes && FAILED(m_takes->GetCount(&count)))
        count = 0;
    return count;
}

HRESULT RecordingCommand::GetSize(ULONG* size)
{
    LONG count = TakeCount();
    *size = static_cast<ULONG>(kHeadSize + kTakeSize * static_cast<size_t>(count > 0 ? count : 1));
    return S_OK;
}

HRESULT RecordingCommand::WriteBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        std::vector<std::vector<uint8_t>> takes;
        if (m_takes) {
            ThrowIfFailed(m_takes->ResetItems(0));
            ComRef<IUnknown> item;
            LONG trackId = -1;
            IMtTrackSet* set = m_document ? m_document->GetTrackSet() : nullptr;
            while (m_takes->NextItem(item.Out(), &trackId) == S_OK) {
                std::vector<uint8_t> take(kTakeSize, 0);
                ComRef<IMtItem> data = QueryCom<IMtItem>(item.Get());
                if (!data)
                    throw CKvSSException(E_NOINTERFACE);
                ThrowIfFailed(data->GetInfo(reinterpret_cast<MtFileItemRecord*>(take.data())));
                LONG index = -1;
                if (!set || FAILED(set->TrackIdToIndex(trackId, &index)))
                    index = -1;
                PutField<int32_t>(take.data(), kTakeIndexOffset, index);
                takes.push_back(std::move(take));
            }
        }
        constexpr auto layout = Fields();
        size_t size = kHeadSize + kTakeSize * (takes.empty() ? 1 : takes.size());
        ByteBuffer block;
        block.Resize(static_cast<uint32_t>(size));
        std::memset(block.Data(), 0, size);
        FillHeader(block.Data(), 0);
        PutField<uint16_t>(block.Data(), 0, 0);
        layout.Put(*this, block.Data());
        PutField<int32_t>(block.Data(), layout.list.countOffset, static_cast<int32_t>(takes.size()));
        for (size_t i = 0; i < takes.size(); ++i)
            std::memcpy(block.Data() + kHeadSize + kTakeSize * i, takes[i].data(), kTakeSize);
        return WriteRecord(stream, block.Data(), size);
    });
}

HRESULT RecordingCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        constexpr auto layout = Fields();
        m_document = JournalDocument(stream);
        StreamChunkFile file(stream);
        constexpr size_t kMinimum = kHeadSize + kTakeSize;
        uint8_t head[kMinimum] = {};
        ThrowIfFailed(ReadRecord(stream, head, sizeof head));
        int32_t count = GetField<int32_t>(head, layout.list.countOffset);
        // The count is checked against the chunk by the second read: a damaged one loads nothing.
        if (count < 0 || static_cast<uint32_t>(count) > layout.list.maxCount)
            throw CKvSSException(kBadJournal);
        size_t size = kHeadSize + kTakeSize * static_cast<size_t>(count > 0 ? count : 1);
        file->Seek(-static_cast<int64_t>(kMinimum), kSeekCurrent);
        ByteBuffer block;
        block.Resize(static_cast<uint32_t>(size));
        std::memset(block.Data(), 0, size);
        ThrowIfFailed(ReadRecord(stream, block.Data(), size));

        ComRef<IMtItemList> takes;
        ThrowIfFailed(MtEngine::CreateItemList(takes));
        ComRef<IMtTempStore> store;
        ThrowIfFailed(MtEngine::CreateTempStore(store));
        IMtTrackSet* set = m_document->GetTrackSet();
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t* take = block.Data() + kHeadSize + kTakeSize * static_cast<size_t>(i);
            MtFileItemRecord info{};
            std::memcpy(&info, take, sizeof info);
            info.path[sizeof info.path - 1] = 0;
            ComRef<IUnknown> item;
            if (store->LookupTrack(&info, item.Out(), 1) != S_OK || !item)
                throw CKvSSException(E_FAIL);
            LONG id = -1;
            int32_t index = GetField<int32_t>(take, kTakeIndexOffset);
            if (index < 0 || !set || FAILED(set->TrackIndexToId(index, &id)))
                id = -1;
            ThrowIfFailed(takes->AddItem(item.Get(), id));
        }
        layout.Get(*this, block.Data(), kHeadSize);
        m_takes = std::move(takes);
        return S_OK;
    });
}
