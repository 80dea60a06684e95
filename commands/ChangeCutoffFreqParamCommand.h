// "changecutofffreqparam": sets a track's cut-off frequency and switch, the frequency first.
// Made only from saved records (the registry); a default command holds 0 Hz, switched on.
#pragma once
#include "CommandDocument.h"
#include "EditCommand.h"

#include <cstdint>

class ChangeCutoffFreqParamCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "changecutofffreqparam";
    static constexpr ULONG kRecordSize = 280;

    ChangeCutoffFreqParamCommand() = default;

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override { return Apply(m_newFrequency, m_newSwitch); }
    STDMETHODIMP Undo() override { return Apply(m_oldFrequency, m_oldSwitch); }
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    HRESULT Apply(int32_t frequency, int32_t on);

    CommandDocument* m_document = nullptr;
    int m_trackIndex = -1;
    int32_t m_newFrequency = 0;
    int32_t m_oldFrequency = 0;
    int32_t m_newSwitch = 1;
    int32_t m_oldSwitch = 1;
};
