// "copytrack": inserts a duplicate of a track (sound, envelopes, settings) at another index.
#pragma once
#include "CommandDocument.h"
#include "ComRef.h"
#include "RecordedCommand.h"

#include "KsMultiTrack.h"
#include "LabelRecord.h"
#include "TrackCommandSupport.h"

class CopyTrackCommand : public RecordedCommand<CopyTrackCommand> {
public:
    static constexpr const char* kTypeName = "copytrack";
    static constexpr uint16_t kRecordSize = 524;       // the default label's name at 268
    static constexpr uint16_t kLegacyRecordSize = 268; // without it
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize, kLegacyRecordSize}, Value<int32_t, &Self::m_sourceIndex>(260),
                      Value<int32_t, &Self::m_targetIndex>(264),
                      record::LabelName<Self, &Self::m_label, &Self::m_labelName>(268));
    }

    CopyTrackCommand() = default;
    CopyTrackCommand(const char* name, CommandDocument* document, int sourceIndex, int targetIndex);

    // The copy goes in at the target, is the only selected track and gets a default label
    // when the target has none, so that it does not show the source's label; the label goes
    // and comes back with the copy.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    CommandDocument* m_document = nullptr;
    ComRef<IMtTrack> m_copy;
    LabelRecord m_label{};                            // the default label Do gave the copy (id 0: none)
    char m_labelName[sizeof(LabelRecord::name)] = {}; // loaded: the name Do gives that label
    int m_sourceIndex = -1;
    int m_targetIndex = -1;
};
