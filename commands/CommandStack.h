// CommandStack: a reference-counted stack of edit commands, one reference per entry,
// index 0 the oldest. CommandStackCursor walks a live stack from the newest entry to
// the oldest (the undo and redo lists of the user interface read it).
#pragma once
#include "ComObject.h"
#include "ComRef.h"
#include "CommandInterfaces.h"

#include <vector>

class CommandStack : public ComObject<IUnknown> {
public:
    CommandStack() = default;
    ~CommandStack() override;

    // The entry at index (0 = oldest) with one added reference; E_INVALIDARG past the end.
    HRESULT GetAt(UINT index, IEditCommand** command);
    // Removes the newest entry; its reference passes to the caller, or is released when
    // command is null. S_FALSE (out untouched) on an empty stack.
    HRESULT Pop(IEditCommand** command);
    HRESULT Push(IEditCommand* command);   // null: E_POINTER
    HRESULT RemoveAt(UINT index);          // an index out of range changes nothing; S_OK
    HRESULT Remove(IEditCommand* command); // first equal pointer; S_OK also when absent
    HRESULT Clear();
    HRESULT GetCount(UINT* count);

private:
    std::vector<ComRef<IEditCommand>> m_entries; // bottom first, never null
};

class CommandStackCursor : public ComObject<ICommandCursor> {
public:
    explicit CommandStackCursor(CommandStack* stack);

    STDMETHODIMP Next(IEditCommand** command) override;
    STDMETHODIMP Reset() override;

private:
    ComRef<CommandStack> m_stack;
    UINT m_position = 0;   // entries already returned
};
