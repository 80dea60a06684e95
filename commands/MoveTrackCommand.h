// "movetrack": moves a track to another index. The target given is the insertion point
// counted before the track is taken out; Do turns it into the track's final index.
#pragma once
#include "CommandDocument.h"
#include "EditCommand.h"

class MoveTrackCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "movetrack";
    static constexpr ULONG kRecordSize = 268;

    MoveTrackCommand() = default;
    MoveTrackCommand(const char* name, CommandDocument* document, int fromIndex, int toIndex);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    // The record holds the final index already.
    STDMETHODIMP OnLoaded() override { return Redo(); }
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

    int ToIndex() const { return m_toIndex; }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    HRESULT Move(int from, int to);

    CommandDocument* m_document = nullptr;
    int m_fromIndex = -1;
    int m_toIndex = -1;
};
