// CommandGroup: an edit command made of an ordered list of child commands, run, undone
// and redone as one step with rollback when a child fails, and saved as one
// "KSCM" "KGRP" chunk: the group's own command chunk, then each child's chunk in order.
// Derived types supply GetTypeName and usually their own Do that builds the children.
#pragma once
#include "ComRef.h"
#include "EditCommand.h"

#include <vector>

class CommandGroup : public ComExtend<EditCommand, ICommandList, ICommandGroupAux> {
public:
    CommandGroup() = default;
    explicit CommandGroup(const char* name) : ComExtend(name) {}
    ~CommandGroup() override;

    // Children in order; a failing child is undone, then every earlier one back to the first.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    // Children from the last to the first; on a failure the later children are redone.
    STDMETHODIMP Undo() override;

    // Only the group's own record; the journal replay adds the children (CommandHistory).
    STDMETHODIMP Load(IJournalFile* stream) override;
    STDMETHODIMP Save(IJournalFile* stream) override;
    // Own record + 16, plus each child's GetSizeMax + 16; pad bytes not counted.
    STDMETHODIMP GetSizeMax(ULONG* size) override;

    STDMETHODIMP Add(IEditCommand* command) override;
    STDMETHODIMP Clear() override;
    STDMETHODIMP RemoveAt(UINT index) override;
    STDMETHODIMP Remove(IEditCommand* command) override;
    STDMETHODIMP GetAt(UINT index, IEditCommand** command) override;
    STDMETHODIMP GetCount(UINT* count) override;

    STDMETHODIMP QueryGroupObject(REFIID iid, void** object) override;

private:
    enum class Step { Do, Redo };
    HRESULT RunForward(Step step);

    std::vector<ComRef<IEditCommand>> m_children; // never null
};
