// "changemixingparam": sets a track's constant volume (parameter 0, 1.0 unity) or pan
// (parameter 1, 0.0 centre); Undo sets the value the caller read before.
#pragma once
#include "CommandDocument.h"
#include "RecordedCommand.h"

enum MixingParam : int32_t { kMixingVolume = 0, kMixingPan = 1 };

class ChangeMixingParamCommand : public RecordedCommand<ChangeMixingParamCommand> {
public:
    static constexpr const char* kTypeName = "changemixingparam";
    static constexpr uint16_t kRecordSize = 276;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_trackIndex>(260),
                      Value<int32_t, &Self::m_parameter>(264), Value<float, &Self::m_newValue>(268),
                      Value<float, &Self::m_oldValue>(272));
    }

    ChangeMixingParamCommand() = default;
    ChangeMixingParamCommand(const char* name, CommandDocument* document, int trackIndex, int32_t parameter,
                             float newValue, float oldValue);

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override { return Apply(m_newValue); }
    STDMETHODIMP Undo() override { return Apply(m_oldValue); }
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    HRESULT Apply(float value);

    CommandDocument* m_document = nullptr;
    int m_trackIndex = -1;
    int32_t m_parameter = kMixingVolume;
    float m_newValue = 0.0f;
    float m_oldValue = 0.0f;
};
