// "splittrack": replaces a track of 1 to 6 channels by one mono track per channel at its
// place: the channels go to temporary files, the track and its marks are deleted, and per
// channel an empty track is inserted, named after the source with the channel's suffix,
// given its group, marks and pan, filled from the channel's file and moved to its start.
// Each step is a child command run as it is added, so the split is undone as one group; a
// failing step undoes the children already run. Only the command's record is saved (the
// track index and the names the inserted tracks' default labels got, which the older form
// lacks): a reloaded command splits the live track again, giving those labels the same names.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "RecordedCommand.h"

#include "KsMultiTrack.h"

class SplitTrackCommand : public RecordedCommand<SplitTrackCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "splittrack";
    static constexpr uint16_t kRecordSize = 264 + 6 * 256;
    static constexpr uint16_t kLegacyRecordSize = 264;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize, kLegacyRecordSize}, Value<int32_t, &Self::m_trackIndex>(260),
                      Bytes<&Self::m_labelNames>(kLegacyRecordSize));
    }

    SplitTrackCommand() = default;
    SplitTrackCommand(const char* name, CommandDocument* document, int trackIndex)
        : RecordedCommand(name), m_document(document), m_trackIndex(trackIndex)
    {
    }

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

    // The command record alone, not a group of children.
    STDMETHODIMP Load(IJournalFile* stream) override { return EditCommand::Load(stream); }
    STDMETHODIMP Save(IJournalFile* stream) override { return EditCommand::Save(stream); }
    STDMETHODIMP GetSizeMax(ULONG* size) override { return EditCommand::GetSizeMax(size); }

    // Runs the child's Do, then adds it; either failure is thrown.
    virtual HRESULT ExecuteChild(IEditCommand* child);
    // One item per channel of the track, on the channel's sound and peak files.
    virtual HRESULT SplitToItems(IMtTrack* track, IMtItemList** items);
    // Volume curve of the source; pan left or right, or the centre or LFE role.
    virtual HRESULT SetupChannelTrack(int index, IMtTrack* source, int channel);

protected:
    void AfterRead(uint16_t formSize) override;

private:
    void Split();
    void SelectChannelTracks(int count);

    CommandDocument* m_document = nullptr;
    int m_trackIndex = -1;
    WORD m_channelTracks = 0;
    char m_labelNames[6][256] = {}; // by channel: the name of its track's default label
};
