#include "FileCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"
#include "TrackCommands.h"

InsertFileCommand::InsertFileCommand(CommandDocument* document, int64_t position, int64_t length, IMtItemList* items)
    : m_document(document), m_items(ComRef<IMtItemList>::Share(items)), m_range{position, position + length}
{
}

HRESULT InsertFileCommand::Do()
{
    return RunAtEdge([&] {
        try {
            int count = m_document->GetTrackCount();
            ThrowIfFailed(m_items->ResetItems(0));
            int64_t replaced = Magnitude(m_range.end, m_range.start);
            int target = 0;
            ComRef<IUnknown> item;
            while (m_items->NextItem(item.Out(), nullptr) == S_OK) {
                ComRef<IMtItem> data = QueryCom<IMtItem>(item.Get());
                if (!data)
                    throw CKvSSException(E_NOINTERFACE);
                LONGLONG bytes = 0;
                ThrowIfFailed(data->GetSize(&bytes));
                if (bytes <= 0)
                    continue;
                MtFileItemRecord info{};
                m_inserted = std::max(m_inserted, ItemFrames(data.Get(), &info));
                while (target < count && !m_document->IsTrackSelectedAt(target))
                    ++target;
                if (target >= count) {
                    DoAndAddChild(this, NewCommand<InsertTrackCommand>(nullptr, m_document, info.channels, -1));
                    ++count;
                }
                DoAndAddChild(this,
                              NewCommand<OpenFileCommand>(m_document, target, m_range.start, replaced, item.Get()));
                ++target;
            }
            ThrowIfFailed(m_document->SetSelectionRange(m_range.start, m_range.start + m_inserted, FALSE));
        } catch (...) {
            UndoChildrenBackwards(this);
            throw;
        }
        return S_OK;
    });
}

HRESULT InsertFileCommand::OnLoaded()
{
    ClearRowsAndSelect(m_document, m_range.start, m_range.start + m_inserted);
    return S_OK;
}

HRESULT InsertFileCommand::QueryGroupObject(REFIID iid, void** object)
{
    return AskLastFileChild(this, iid, object);
}
