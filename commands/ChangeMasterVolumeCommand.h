// "changemastervolume": sets the master volume (x 10000); Undo sets the one before.
#pragma once
#include "CommandDocument.h"
#include "RecordedCommand.h"

#include <cstdint>

class ChangeMasterVolumeCommand : public RecordedCommand<ChangeMasterVolumeCommand> {
public:
    static constexpr const char* kTypeName = "changemastervolume";
    static constexpr uint16_t kRecordSize = 268;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_newVolume>(260),
                      Value<int32_t, &Self::m_oldVolume>(264));
    }

    ChangeMasterVolumeCommand() = default;
    ChangeMasterVolumeCommand(const char* name, CommandDocument* document, int32_t newVolume, int32_t oldVolume);

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override { return Apply(m_newVolume); }
    STDMETHODIMP Undo() override { return Apply(m_oldVolume); }
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    HRESULT Apply(int32_t volume);

    CommandDocument* m_document = nullptr;
    int32_t m_newVolume = 10000;
    int32_t m_oldVolume = 10000;
};
