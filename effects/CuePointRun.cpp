#include "CuePointRun.h"

#include "ComObject.h"
#include "CommandDocument.h"
#include "CommandInterfaces.h"
#include "KvSSException.h"
#include "LabelRecord.h"
#include "MarkCommands.h"
#include "TransactionCommand.h"

namespace {

constexpr UINT kIdsCue = 21018; // "Cue"

template <class T, class... Args>
ComRef<IEditCommand> Make(Args&&... args)
{
    T* made = ComObject<IEditCommand>::Create<T>(std::forward<Args>(args)...);
    if (!made)
        throw CKvSSException(E_OUTOFMEMORY);
    return ComRef<IEditCommand>(static_cast<IEditCommand*>(made));
}

void Append(IEditCommand* group, IEditCommand* child)
{
    ComRef<ICommandList> list;
    ThrowIfFailed(group->QueryInterface(__uuidof(ICommandList), list.OutVoid()));
    ThrowIfFailed(list->Add(child));
}

// An Add whose journal failed keeps the entry on the stack: it stands.
bool IsNewest(ICommandHistory* history, IEditCommand* command)
{
    ComRef<ICommandCursor> cursor;
    ComRef<IEditCommand> newest;
    return SUCCEEDED(history->GetUndoCursor(cursor.Out())) && cursor && cursor->Next(newest.Out()) == S_OK &&
           newest.Get() == command;
}

} // namespace

HRESULT CuePointRun::SetCuePoints(CommandDocument* document, const std::vector<int64_t>& positions,
                                  bool removeExisting, bool* changed)
{
    if (changed)
        *changed = false;
    ICommandHistory* history = document ? document->GetHistory() : nullptr;
    if (!history)
        return E_POINTER;
    const std::string name = LoadResourceText(kIdsCue);
    ComRef<IEditCommand> transaction;
    bool done = false;
    try {
        transaction = Make<TransactionCommand>(name.c_str());
        size_t children = 0;
        if (removeExisting) {
            // Every live record of the table: removed ones keep their places, so the ids of the
            // live ones run past the count of live records.
            LabelRecord label{};
            for (int index = 0; document->GetLabelAt(index, &label); ++index) {
                if (label.id <= 0 || (label.kind & 0xFF) == kLabelTrack)
                    continue;
                Append(transaction.Get(), Make<DelMarkCommand>(name.c_str(), document, label.id).Get());
                ++children;
            }
        }
        for (int64_t position : positions) {
            Append(transaction.Get(), Make<AddMarkCommand>(nullptr, document, -1, position, int64_t(0), 0).Get());
            ++children;
        }
        if (children == 0)
            return S_OK;
        ThrowIfFailed(transaction->Do());
        done = true;
        ThrowIfFailed(history->Add(transaction.Get(), TRUE));
    } catch (const CKvSSException& e) {
        if (done && !IsNewest(history, transaction.Get()))
            transaction->Undo();
        return e.m_hr;
    }
    document->SetModifiedFlag(TRUE);
    if (changed)
        *changed = true;
    return S_OK;
}
