// "removetrack": takes the selected tracks out of the set and puts them back on Undo,
// holding the track objects in between. Made by the registry only (journal replay); its
// record lists the removed indices.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "EditCommand.h"

#include "KsMultiTrack.h"

#include <utility>
#include <vector>

class RemoveTrackCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "removetrack";

    RemoveTrackCommand() = default;
    // For callers that remove the selected tracks of a document.
    explicit RemoveTrackCommand(const char* name, CommandDocument* document) : EditCommand(name), m_document(document)
    {
    }

    // Nothing to remove (no track or none selected) is the cancel code 0x83E80005.
    STDMETHODIMP Do() override;
    // A failing detach puts back what was detached and returns the engine's code.
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Redo(); }
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    size_t RecordSize() const;

    CommandDocument* m_document = nullptr;
    std::vector<std::pair<int, ComRef<IMtTrack>>> m_removed; // ascending indices
};
