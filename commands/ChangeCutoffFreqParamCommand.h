// "changecutofffreqparam": sets a track's cut-off frequency and switch, the frequency first.
// Made only from saved records (the registry); a default command holds 0 Hz, switched on.
#pragma once
#include "CommandDocument.h"
#include "RecordedCommand.h"

#include <cstdint>

class ChangeCutoffFreqParamCommand : public RecordedCommand<ChangeCutoffFreqParamCommand> {
public:
    static constexpr const char* kTypeName = "changecutofffreqparam";
    static constexpr uint16_t kRecordSize = 280;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_trackIndex>(260),
                      Value<int32_t, &Self::m_newFrequency>(264), Value<int32_t, &Self::m_oldFrequency>(268),
                      Value<int32_t, &Self::m_newSwitch>(272), Value<int32_t, &Self::m_oldSwitch>(276));
    }

    ChangeCutoffFreqParamCommand() = default;

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override { return Apply(m_newFrequency, m_newSwitch); }
    STDMETHODIMP Undo() override { return Apply(m_oldFrequency, m_oldSwitch); }
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    HRESULT Apply(int32_t frequency, int32_t on);

    CommandDocument* m_document = nullptr;
    int m_trackIndex = -1;
    int32_t m_newFrequency = 0;
    int32_t m_oldFrequency = 0;
    int32_t m_newSwitch = 1;
    int32_t m_oldSwitch = 1;
};
