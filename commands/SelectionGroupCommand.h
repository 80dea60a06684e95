// SelectionGroupCommand: the base of "crossfades" and "fadeinouts", a group of envelope
// snapshots of one dialog action that also restores the time selection it was made for.
// Do, Redo and Undo clear the track rows, run the group and, when that succeeded, set the
// time selection to the range.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "RecordedCommand.h"
#include "SampleRange.h"

class SelectionGroupCommand : public RecordedCommand<SelectionGroupCommand, CommandGroup> {
public:
    static constexpr uint16_t kRecordSize = 280;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264));
    }

    SelectionGroupCommand() = default;
    // Reads the time selection in the order the selection holds it.
    SelectionGroupCommand(const char* name, CommandDocument* document);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    // The children come back one by one from the journal; the group restores the selection.
    STDMETHODIMP OnLoaded() override;

    const SampleRange& Range() const { return m_range; }

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
