// "deletetrack": takes a track out of the set and keeps it for Undo.
#pragma once
#include "CommandDocument.h"
#include "ComRef.h"
#include "RecordedCommand.h"

#include "KsMultiTrack.h"

class DeleteTrackCommand : public RecordedCommand<DeleteTrackCommand> {
public:
    static constexpr const char* kTypeName = "deletetrack";
    static constexpr uint16_t kRecordSize = 264;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_trackIndex>(260));
    }

    DeleteTrackCommand() = default;
    DeleteTrackCommand(const char* name, CommandDocument* document, int trackIndex);

    STDMETHODIMP Do() override;
    // Redo marks the track before it selected (track 0 when it was the first), Undo the
    // track itself; other rows keep their state.
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    CommandDocument* m_document = nullptr;
    ComRef<IMtTrack> m_track;
    int m_trackIndex = -1;
};
