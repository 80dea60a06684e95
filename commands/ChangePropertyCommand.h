// "changeproperty": one undoable change of document-wide properties: the attached video
// file, the master volume and every track's properties (label, level, pan, offset, group,
// state). Built with old and new state alike; the caller edits the new fields, then hands
// it to the history. Redo and Undo skip what already matches.
//
// Its record holds the new state only: a loaded command takes the live document's as the old.
#pragma once
#include "CommandDocument.h"
#include "RecordedCommand.h"
#include "TrackCommands.h"

#include <string>
#include <vector>

class ChangePropertyCommand : public RecordedCommand<ChangePropertyCommand> {
public:
    static constexpr const char* kTypeName = "changeproperty";
    static constexpr uint16_t kFixedPart = 528;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kFixedPart}, Text<260, &Self::newVideoPath>(258),
                      Value<int32_t, &Self::newMasterVolume>(520))
            .WithList({524, TrackPropertyRecord::kPersistedSize, 0xFFFFFu});
    }

    ChangePropertyCommand() = default;
    ChangePropertyCommand(const char* name, CommandDocument* document);

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override;

    // What Redo applies; callers change these after construction.
    std::string newVideoPath;
    int32_t newMasterVolume = 10000;
    std::vector<TrackPropertyRecord> newTracks;

    // 1 after a Redo, 0 after an Undo, that changed something.
    int Changed() const { return m_changed; }

protected:
    // The new tracks' records, each label's track field holding the track index.
    size_t ListCount() override { return newTracks.size(); }
    void PutList(uint8_t* first, size_t count) override;
    void GetList(const uint8_t* first, size_t count) override;

private:
    // The live state as the old one.
    void CaptureOld();
    HRESULT Apply(const std::string& video, int32_t volume, std::vector<TrackPropertyRecord>& tracks, int changed);
    bool TakesVideo();

    CommandDocument* m_document = nullptr;
    std::string m_oldVideoPath;
    int32_t m_oldMasterVolume = 10000;
    std::vector<TrackPropertyRecord> m_oldTracks;
    int m_changed = 0;
};
