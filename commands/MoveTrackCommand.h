// "movetrack": moves a track to another index. The target given is the insertion point
// counted before the track is taken out; Do turns it into the track's final index.
#pragma once
#include "CommandDocument.h"
#include "RecordedCommand.h"

class MoveTrackCommand : public RecordedCommand<MoveTrackCommand> {
public:
    static constexpr const char* kTypeName = "movetrack";
    static constexpr uint16_t kRecordSize = 268;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_fromIndex>(260),
                      Value<int32_t, &Self::m_toIndex>(264));
    }

    MoveTrackCommand() = default;
    MoveTrackCommand(const char* name, CommandDocument* document, int fromIndex, int toIndex);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    // The record holds the final index already.
    STDMETHODIMP OnLoaded() override { return Redo(); }

private:
    HRESULT Move(int from, int to);

    CommandDocument* m_document = nullptr;
    int m_fromIndex = -1;
    int m_toIndex = -1;
};
