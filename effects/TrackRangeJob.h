// TrackRangeJob: the base of the effects the program processes itself, without a module or a
// graph (CReverseJob, CMuteJob). For every marked track of the engine it writes the selected
// range, processed, into a new data file in the engine's sample storage (8 bits unsigned, 16
// bits signed, 20, 24 and 32 bits as 4-byte floats) with a peak file beside it (none for 20
// and 24 bits, whose peaks the engine takes from the data), then records one "Effect" step
// that puts every file in place.
//
//   CReverseJob job;
//   job.SetEngine(doc->GetTrackSet()); job.SetHistory(doc->GetHistory()); job.SetDocument(doc);
//   HRESULT hr = job.Run();      // 0x83E80005 when the user cancelled in the progress dialog
//
// A failed or cancelled run records nothing and leaves no file of any track.
#pragma once
#include "ComRef.h"

#include <windows.h>

#include <cstdint>
#include <string>

class CommandDocument;
class ProgressReporter;
struct ICommandHistory;
struct IMtTrackSet;
struct IMtTrack;
struct IMtItemList;

class TrackRangeJob {
public:
    TrackRangeJob();
    virtual ~TrackRangeJob();
    TrackRangeJob(const TrackRangeJob&) = delete;
    TrackRangeJob& operator=(const TrackRangeJob&) = delete;

    // Takes a reference of its own, replacing one held before.
    void SetEngine(IMtTrackSet* set);
    void SetHistory(ICommandHistory* history) { m_history = history; }
    void SetDocument(CommandDocument* document) { m_document = document; }

    // S_OK, or the code of the first failure: 0x83E80001 without an engine, 0x83E800D1 when
    // a file cannot be made or written, 0x83E80064 without memory, 0x83E80005 after a cancel,
    // else the engine's or the history's own code.
    HRESULT Run();

protected:
    // The range's frames, in order, into the sink; frames of the storage format.
    class FrameSink {
    public:
        virtual void Write(const uint8_t* data, size_t bytes) = 0;

    protected:
        ~FrameSink() = default;
    };
    // Writes the processed frames of [start, end) of the track into sink, reporting the
    // frames done through progress (a cancel there throws 0x83E80005).
    virtual void Process(IMtTrack* track, int64_t start, int64_t end, FrameSink& sink) = 0;

    // Bytes of one sample in the engine's storage.
    int StorageBytes() const { return m_bits == 8 ? 1 : m_bits == 16 ? 2 : 4; }
    int FrameBytes() const { return StorageBytes() * m_channels; }
    // One second of frames: the size of each piece read or written.
    size_t BlockFrames() const { return m_rate ? m_rate : 44100; }
    // Adds done frames to the progress; throws 0x83E80005 after a cancel.
    void Advance(int64_t frames);

private:
    void ProcessTrack(LONG index, LONG trackNumber, LONG trackCount);

    ComRef<IMtTrackSet> m_engine;
    ComRef<IMtItemList> m_items;
    WORD m_bits = 16;
    DWORD m_rate = 0;
    WORD m_channels = 1;
    ICommandHistory* m_history = nullptr;
    CommandDocument* m_document = nullptr;
    ProgressReporter* m_progress = nullptr;
    int64_t m_done = 0;
    int64_t m_total = 0;
};
