#include "CommandSupport.h"

#include "FwApp.h"

CommandDocument* JournalDocument(IJournalFile* stream)
{
    if (!stream)
        throw CKvSSException(E_POINTER);
    UINT_PTR value = 0;
    ThrowIfFailed(stream->GetUserValue(&value));
    if (!value)
        throw CKvSSException(E_POINTER);
    return reinterpret_cast<CommandDocument*>(value);
}

void AddChild(ICommandList* group, IEditCommand* child)
{
    ComRef<IEditCommand> held(child);
    ThrowIfFailed(group->Add(child));
}

void DoAndAddChild(ICommandList* group, IEditCommand* child)
{
    ComRef<IEditCommand> held(child);
    ThrowIfFailed(child->Do());
    HRESULT hr = group->Add(child);
    if (FAILED(hr)) {
        child->Undo();
        throw CKvSSException(hr);
    }
}

void UndoChildrenBackwards(ICommandList* group)
{
    UINT count = 0;
    group->GetCount(&count);
    for (UINT i = count; i-- > 0;) {
        ComRef<IEditCommand> child;
        if (SUCCEEDED(group->GetAt(i, child.Out())) && child)
            child->Undo();
    }
    group->Clear();
}

int64_t ItemFrames(IMtItem* item, MtFileItemRecord* info)
{
    LONGLONG bytes = 0;
    ThrowIfFailed(item->GetSize(&bytes));
    MtFileItemRecord record{};
    ThrowIfFailed(item->GetInfo(&record));
    if (info)
        *info = record;
    int64_t blockAlign = static_cast<int64_t>((record.bitsPerSample + 7) / 8) * record.channels;
    return blockAlign > 0 ? bytes / blockAlign : 0;
}

int64_t ItemFramesOf(IUnknown* object, MtFileItemRecord* info)
{
    ComRef<IMtItem> item = QueryCom<IMtItem>(object);
    if (!item)
        throw CKvSSException(E_NOINTERFACE);
    return ItemFrames(item.Get(), info);
}

void ClearRowsAndSelect(CommandDocument* document, int64_t start, int64_t end)
{
    document->SetTrackSelected(-1, FALSE);
    document->SetSelectionRange(start, end, FALSE);
}

bool AskConvertFormat()
{
    return AfxMessageBox(20261, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
