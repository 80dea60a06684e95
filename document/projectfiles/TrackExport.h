// TrackExport: one engine track's samples and peaks brought out into the channel splitter's
// temporary files for a project writer, which copies them into its file. The files are
// removed when the export goes, whatever happened.
#pragma once
#include "ChannelSplitter.h"
#include "ComRef.h"
#include "KsMultiTrack.h"

struct TrackExport {
    // interleaved: one file of all channels (storedBits 20 and 24 packed in 3 bytes), else
    // one file per channel; peaks likewise, 1024 frames a point.
    TrackExport(IMtTrack* track, WORD storedBits, DWORD rate, bool interleaved);
    ~TrackExport();
    TrackExport(const TrackExport&) = delete;
    TrackExport& operator=(const TrackExport&) = delete;

    CChannelSplitter split;
    WORD channels = 1;
    LONGLONG length = 0;
    LONGLONG start = 0;

private:
    void Export(IMtTrack* track, WORD storedBits, DWORD rate, bool interleaved);
    void Remove();
};
