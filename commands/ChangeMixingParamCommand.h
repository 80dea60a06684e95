// "changemixingparam": sets a track's constant volume (parameter 0, 1.0 unity) or pan
// (parameter 1, 0.0 centre); Undo sets the value the caller read before.
#pragma once
#include "CommandDocument.h"
#include "EditCommand.h"

enum MixingParam : int32_t { kMixingVolume = 0, kMixingPan = 1 };

class ChangeMixingParamCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "changemixingparam";
    static constexpr ULONG kRecordSize = 276;

    ChangeMixingParamCommand() = default;
    ChangeMixingParamCommand(const char* name, CommandDocument* document, int trackIndex, int32_t parameter,
                             float newValue, float oldValue);

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override { return Apply(m_newValue); }
    STDMETHODIMP Undo() override { return Apply(m_oldValue); }
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    HRESULT Apply(float value);

    CommandDocument* m_document = nullptr;
    int m_trackIndex = -1;
    int32_t m_parameter = kMixingVolume;
    float m_newValue = 0.0f;
    float m_oldValue = 0.0f;
};
