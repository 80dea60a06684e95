// "removetrack": takes the selected tracks out of the set and puts them back on Undo,
// holding the track objects in between. Made by the registry only (journal replay); its
// record lists the removed indices.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "RecordedCommand.h"

#include "KsMultiTrack.h"

#include <utility>
#include <vector>

class RemoveTrackCommand : public RecordedCommand<RemoveTrackCommand> {
public:
    static constexpr const char* kTypeName = "removetrack";
    static constexpr uint16_t kFixedPart = 264; // header, two zero bytes, the count
    static constexpr auto Fields() { return Layout(&Self::m_document, {kFixedPart}).WithList({260, 4, 0x3FFFFFFFu}); }

    RemoveTrackCommand() = default;
    // For callers that remove the selected tracks of a document.
    explicit RemoveTrackCommand(const char* name, CommandDocument* document) : RecordedCommand(name), m_document(document)
    {
    }

    // Nothing to remove (no track or none selected) is the cancel code 0x83E80005.
    STDMETHODIMP Do() override;
    // A failing detach puts back what was detached and returns the engine's code.
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Redo(); }

protected:
    // The removed indices, one 32-bit value each.
    size_t ListCount() override { return m_removed.size(); }
    void PutList(uint8_t* first, size_t count) override;
    void GetList(const uint8_t* first, size_t count) override;

private:
    CommandDocument* m_document = nullptr;
    std::vector<std::pair<int, ComRef<IMtTrack>>> m_removed; // ascending indices
};
