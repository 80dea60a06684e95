// "offsettrack": sets a track's start offset in samples.
#pragma once
#include "CommandDocument.h"
#include "RecordedCommand.h"

#include <cstdint>

class OffsetTrackCommand : public RecordedCommand<OffsetTrackCommand> {
public:
    static constexpr const char* kTypeName = "offsettrack";
    static constexpr uint16_t kRecordSize = 272;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_trackIndex>(260),
                      Value<int64_t, &Self::m_newOffset>(264));
    }

    OffsetTrackCommand() = default;
    OffsetTrackCommand(const char* name, CommandDocument* document, int trackIndex, int64_t newOffset);

    // Keeps the offset the track has (also on a reload) for Undo.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    HRESULT SetOffset(int64_t offset);

    CommandDocument* m_document = nullptr;
    int m_trackIndex = -1;
    int64_t m_newOffset = 0;
    int64_t m_oldOffset = 0;
};
