// "trim": keeps only the selected time range of every selected track. When first run it
// builds its children from the selection (points keeping each envelope's value at the
// edges, envelope ranges deleted before and after, one clip trim per track) and runs them
// as one group. Record (280 bytes): header; 258 six zero bytes; 264 start; 272 end.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "SampleRange.h"

class TrimCommand : public CommandGroup {
public:
    static constexpr const char* kTypeName = "trim";
    static constexpr ULONG kRecordSize = 280;

    TrimCommand() = default;
    TrimCommand(const char* name, CommandDocument* document) : CommandGroup(name), m_document(document) {}

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    // The children come back from the journal on their own; the trim restores the selection.
    STDMETHODIMP OnLoaded() override;
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

    const SampleRange& Range() const { return m_range; }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    void BuildChildren();
    void SelectRange();

    CommandDocument* m_document = nullptr;
    SampleRange m_range;
};
