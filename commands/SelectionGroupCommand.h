// SelectionGroupCommand: the base of "crossfades" and "fadeinouts", a group of envelope
// snapshots of one dialog action that also restores the time selection it was made for.
// Do, Redo and Undo clear the track rows, run the group and, when that succeeded, set the
// time selection to the range. Record (280 bytes): header; 258 six zero bytes; 264 range
// start; 272 range end (both signed 64-bit).
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "SampleRange.h"

class SelectionGroupCommand : public CommandGroup {
public:
    static constexpr ULONG kRecordSize = 280;

    SelectionGroupCommand() = default;
    // Reads the time selection in the order the selection holds it.
    SelectionGroupCommand(const char* name, CommandDocument* document);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    // The children come back one by one from the journal; the group restores the selection.
    STDMETHODIMP OnLoaded() override;

    const SampleRange& Range() const { return m_range; }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    // Clears the rows, then sets the range when the group's step succeeded.
    void Before();
    HRESULT After(HRESULT step);

    CommandDocument* m_document = nullptr;
    SampleRange m_range;
};

class CrossfadesCommand : public SelectionGroupCommand {
public:
    static constexpr const char* kTypeName = "crossfades";
    using SelectionGroupCommand::SelectionGroupCommand;
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }
};

class FadeInOutsCommand : public SelectionGroupCommand {
public:
    static constexpr const char* kTypeName = "fadeinouts";
    using SelectionGroupCommand::SelectionGroupCommand;
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }
};
