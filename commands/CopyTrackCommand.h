// "copytrack": inserts a duplicate of a track (sound, envelopes, settings) at another index.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "EditCommand.h"

#include "KsMultiTrack.h"
#include "LabelRecord.h"

class CopyTrackCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "copytrack";
    static constexpr ULONG kRecordSize = 524;       // the default label's name at 268
    static constexpr ULONG kLegacyRecordSize = 268; // without it

    CopyTrackCommand() = default;
    CopyTrackCommand(const char* name, CommandDocument* document, int sourceIndex, int targetIndex);

    // The copy goes in at the target, is the only selected track and gets a default label
    // when the target has none, so that it does not show the source's label; the label goes
    // and comes back with the copy.
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
    CommandDocument* m_document = nullptr;
    ComRef<IMtTrack> m_copy;
    LabelRecord m_label{}; // the default label Do gave the copy (id 0: none)
    char m_labelName[sizeof(LabelRecord::name)] = {}; // loaded: the name Do gives that label
    int m_sourceIndex = -1;
    int m_targetIndex = -1;
};
