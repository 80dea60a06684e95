// "changemastervolume": sets the master volume (x 10000); Undo sets the one before.
#pragma once
#include "CommandDocument.h"
#include "EditCommand.h"

#include <cstdint>

class ChangeMasterVolumeCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "changemastervolume";
    static constexpr ULONG kRecordSize = 268;

    ChangeMasterVolumeCommand() = default;
    ChangeMasterVolumeCommand(const char* name, CommandDocument* document, int32_t newVolume, int32_t oldVolume);

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override { return Apply(m_newVolume); }
    STDMETHODIMP Undo() override { return Apply(m_oldVolume); }
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    HRESULT Apply(int32_t volume);

    CommandDocument* m_document = nullptr;
    int32_t m_newVolume = 10000;
    int32_t m_oldVolume = 10000;
};
