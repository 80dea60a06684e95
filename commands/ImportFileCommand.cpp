#include "FileCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"
#include "TrackCommands.h"

ImportFileCommand::ImportFileCommand(CommandDocument* document, IMtItemList* items, DWORD newTracksOnly)
    : m_document(document), m_items(ComRef<IMtItemList>::Share(items)), m_newTracksOnly(newTracksOnly)
{
}

HRESULT ImportFileCommand::Do()
{
    return RunAtEdge([&] {
        try {
            int count = m_document->GetTrackCount();
            m_document->SetTrackSelected(-1, FALSE);
            int target = count;
            // Empty tracks at the end are filled first.
            if (!m_newTracksOnly)
                while (target > 0 && m_document->GetTrackExtent(target - 1, 0) < 1)
                    --target;
            ThrowIfFailed(m_items->ResetItems(0));
            ComRef<IUnknown> item;
            while (m_items->NextItem(item.Out(), nullptr) == S_OK) {
                if (target >= count) {
                    ComRef<IMtItem> data = QueryCom<IMtItem>(item.Get());
                    if (!data)
                        throw CKvSSException(E_NOINTERFACE);
                    MtFileItemRecord info{};
                    ThrowIfFailed(data->GetInfo(&info));
                    DoAndAddChild(this, NewCommand<InsertTrackCommand>(nullptr, m_document, info.channels, -1));
                    ++count;
                }
                DoAndAddChild(this, NewCommand<OpenFileCommand>(m_document, target, 0, 0, item.Get()));
                ++target;
            }
            m_document->SetSelectionRange(0, 0, FALSE);
        } catch (...) {
            UndoChildrenBackwards(this);
            throw;
        }
        return S_OK;
    });
}

HRESULT ImportFileCommand::OnLoaded()
{
    ClearRowsAndSelect(m_document, 0, 0);
    return S_OK;
}

HRESULT ImportFileCommand::QueryGroupObject(REFIID iid, void** object)
{
    return AskLastFileChild(this, iid, object);
}

HRESULT ImportFileCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        m_document = JournalDocument(stream);
        return EditCommand::ReadBody(stream);
    });
}
