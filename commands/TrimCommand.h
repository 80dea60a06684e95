// "trim": keeps only the selected time range of every selected track. When first run it
// builds its children from the selection (points keeping each envelope's value at the
// edges, envelope ranges deleted before and after, one clip trim per track) and runs them
// as one group.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "RecordedCommand.h"
#include "SampleRange.h"

class TrimCommand : public RecordedCommand<TrimCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "trim";
    static constexpr uint16_t kRecordSize = 280;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264));
    }

    TrimCommand() = default;
    TrimCommand(const char* name, CommandDocument* document) : RecordedCommand(name), m_document(document) {}

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    // The children come back from the journal on their own; the trim restores the selection.
    STDMETHODIMP OnLoaded() override;

    const SampleRange& Range() const { return m_range; }

private:
    void BuildChildren();
    void SelectRange();

    CommandDocument* m_document = nullptr;
    SampleRange m_range;
};
