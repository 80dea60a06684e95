// CommandDocument: what edit commands and the command history need of the document they
// edit. The multitrack document implements it; tests use small fakes, which is why every
// operation past the first four answers as a document without an engine would.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct IMtTrackSet;
struct IMtTrack;
struct IMtEnvelope;
struct ICommandHistory;
struct LabelRecord; // LabelRecord.h
class AudioFormat;
class ViewGeometry;

class CommandDocument {
public:
    // The document's engine track set, without an added reference; null without an engine.
    virtual IMtTrackSet* GetTrackSet() = 0;
    // Sets or clears the selected flag of every channel row of the track (-1: all rows).
    virtual HRESULT SetTrackSelected(int trackIndex, BOOL selected) = 0;
    virtual void SetModifiedFlag(BOOL modified) = 0;
    // The history changed (after Add, Undo, Redo and TakeLast): the program refreshes the
    // effect palette, whose entries depend on what can be undone.
    virtual void OnHistoryChanged() = 0;

    virtual ICommandHistory* GetHistory() const { return nullptr; }

    // Engine queries, each with its answer for a document without an engine.
    virtual DWORD GetSamplesPerSec() { return 0; }
    virtual WORD GetBitsPerSample() { return 16; }
    virtual int64_t GetLength() { return 0; }
    virtual int GetTrackCount() { return 0; }
    // The track without a held reference; null for a bad index.
    virtual IMtTrack* GetTrack(int) { return nullptr; }
    virtual WORD GetTrackChannels(int) { return 1; }
    // part -1 the start offset, 0 the length, other start + length; 0 for a negative index.
    virtual int64_t GetTrackExtent(int, int) { return 0; }
    // The length; start and end of the track's audio.
    virtual int64_t GetTrackSpan(int, int64_t* start, int64_t* end)
    {
        *start = *end = 0;
        return 0;
    }
    virtual int GetTrackGroup(int) { return -1; }
    virtual void SetTrackGroup(IMtTrack*, int) {}
    // Sets the mute flag and clears solo, for the track's group too while grouping is on.
    virtual void SetTrackMute(int, BOOL) {}
    // The engine's master volume times 10000.
    virtual int GetMasterVolume() { return 10000; }
    virtual void SetMasterVolume(int) {}
    // The track's envelope of a kind, without an added reference; failures are thrown.
    virtual IMtEnvelope* GetTrackEditInterface(int, LONG) { return nullptr; }
    // The empty tracks at the end of the track list, in track order (held by the engine).
    virtual void GetEmptyTrailingTracks(std::vector<IMtTrack*>& tracks) { tracks.clear(); }

    // The selection: ordered (false and as held when empty), as held, and set.
    virtual bool GetOrderedSelection(int64_t* start, int64_t* end)
    {
        *start = *end = 0;
        return false;
    }
    virtual bool GetSelectionRange(int64_t* start, int64_t* end) { return GetOrderedSelection(start, end); }
    virtual HRESULT SetSelectionRange(int64_t, int64_t, BOOL) { return S_OK; }
    virtual int IsTrackSelectedAt(int) { return 0; }
    virtual int IsAllTracksMode() { return 0; }

    // The label table. Add gives the record its id (written back); 0 refuses a second loop.
    virtual int AddLabel(LabelRecord&) { return 0; }
    virtual int SetLabelAt(const LabelRecord&) { return 0; }
    virtual int RemoveLabel(const LabelRecord&) { return 0; }
    virtual bool FindLabelById(int, LabelRecord*) { return false; }
    // The record at a place of the table (0-based, removed ones included); false past its end.
    virtual bool GetLabelAt(int, LabelRecord*) { return false; }
    // Live records of the track (-1: all-tracks marks) meeting from..to (to < 0: no bound).
    virtual int FindLabelsInRange(int, std::vector<LabelRecord>&, int64_t, int64_t, int32_t) { return 0; }
    virtual int GetLabelCount(int) { return 0; }
    virtual bool GetTrackLabel(int, LabelRecord*) { return false; }
    virtual void SetTrackLabel(LabelRecord&) {}
    virtual int TrackIdToIndex(int id) { return id; }
    virtual int TrackIndexToId(int index) { return index; }
    virtual void SetActiveLabelId(int) {}
    // Live labels' positions scaled from the old rate to the new one (nothing for 0 or equal).
    virtual void UpdateLabelsAfterEdit(DWORD, DWORD) {}
    virtual int CountValidLabels(int) { return 0; }

    // The file the document came from and its format state.
    virtual int GetFileType() { return 0; } // 0 flat, 1 chunked, 20 multichannel project
    virtual WORD GetStoredBits() { return 16; }
    virtual void SetFileFormatInfo(WORD, DWORD) {}
    // Non-zero for a multichannel document, the only kind holding tracks of 3 to 6 channels.
    virtual int IsMultichannel() { return 0; }
    int GetChannelLimit() { return IsMultichannel() ? 6 : 2; }
    // Bit 0 sample rate changed, bit 1 bits per sample changed.
    virtual DWORD GetFormatChangeFlags() { return 0; }
    virtual void SetFormatChangeFlags(DWORD) {}
    virtual int GetLeadTrack() const { return 0; }
    // Split surround channels may be placed front and rear.
    virtual int IsFrontRearPlacement() { return 0; }
    virtual std::string GetVideoFile() { return std::string(); }
    // Attaches a video (flat, chunked and multichannel projects only); E_FAIL when refused.
    virtual HRESULT SetVideoFile(const char*, int) { return E_FAIL; }
    virtual int IsPreviewPlaying() { return 0; }
    virtual std::string GetPathText() { return std::string(); }

    // The view and the program around the document.
    virtual ViewGeometry* GetMultiTrackView() { return nullptr; }
    // Neither playing nor recording, and the view in no modal edit state.
    virtual BOOL IsViewIdle() { return TRUE; }
    // Where playback is heard now; -1 while nothing plays.
    virtual int64_t GetPlayPositionNow() { return -1; }
    virtual void RepaintAllViews() {}
    virtual void UpdateMixer() {}

    // The document's own sample format record (one channel) follows a format change.
    virtual void SetDocumentFormat(DWORD, WORD) {}
    // The track the mixer's group controls follow.
    virtual void SetLeadTrack(int) {}

protected:
    ~CommandDocument() = default;
};
