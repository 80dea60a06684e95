// "deletetrack": takes a track out of the set and keeps it for Undo.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "EditCommand.h"

#include "KsMultiTrack.h"

class DeleteTrackCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "deletetrack";
    static constexpr ULONG kRecordSize = 264;

    DeleteTrackCommand() = default;
    DeleteTrackCommand(const char* name, CommandDocument* document, int trackIndex);

    STDMETHODIMP Do() override;
    // Redo marks the track before it selected (track 0 when it was the first), Undo the
    // track itself; other rows keep their state.
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    CommandDocument* m_document = nullptr;
    ComRef<IMtTrack> m_track;
    int m_trackIndex = -1;
};
