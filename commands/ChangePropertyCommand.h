// "changeproperty": one undoable change of document-wide properties: the attached video
// file, the master volume and every track's properties (label, level, pan, offset, group,
// state). Built with old and new state alike; the caller edits the new fields, then hands
// it to the history. Redo and Undo skip what already matches.
//
// Record: header; 258 new video path (260 bytes); 518 zero; 520 new master volume; 524 n;
// from 528 n persisted track records, each label's track field holding the track index
// (one zero slot when n is 0). The size word holds the low 16 bits of the size; readers go
// by n. The old state is not saved: a loaded command takes the live document's.
#pragma once
#include "CommandDocument.h"
#include "EditCommand.h"
#include "TrackCommands.h"

#include <string>
#include <vector>

class ChangePropertyCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "changeproperty";
    static constexpr size_t kFixedPart = 528;

    ChangePropertyCommand() = default;
    ChangePropertyCommand(const char* name, CommandDocument* document);

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override;
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

    // What Redo applies; callers change these after construction.
    std::string newVideoPath;
    int32_t newMasterVolume = 10000;
    std::vector<TrackPropertyRecord> newTracks;

    // 1 after a Redo, 0 after an Undo, that changed something.
    int Changed() const { return m_changed; }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    // The live state as the old one.
    void CaptureOld();
    HRESULT Apply(const std::string& video, int32_t volume, std::vector<TrackPropertyRecord>& tracks, int changed);
    bool TakesVideo();
    size_t RecordSize() const;

    CommandDocument* m_document = nullptr;
    std::string m_oldVideoPath;
    int32_t m_oldMasterVolume = 10000;
    std::vector<TrackPropertyRecord> m_oldTracks;
    int m_changed = 0;
};
