// "offsettrack": sets a track's start offset in samples.
#pragma once
#include "CommandDocument.h"
#include "EditCommand.h"

#include <cstdint>

class OffsetTrackCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "offsettrack";
    static constexpr ULONG kRecordSize = 272;

    OffsetTrackCommand() = default;
    OffsetTrackCommand(const char* name, CommandDocument* document, int trackIndex, int64_t newOffset);

    // Keeps the offset the track has (also on a reload) for Undo.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    HRESULT SetOffset(int64_t offset);

    CommandDocument* m_document = nullptr;
    int m_trackIndex = -1;
    int64_t m_newOffset = 0;
    int64_t m_oldOffset = 0;
};
