// What a transport plays: the mix of a track set over a range as 16-bit stereo, with the
// repeat switch and loop range applied, and the mix taken up again every 100 ms so that level,
// pan, envelope and mark changes are heard while playing. No device, no thread of its own.
#pragma once
#include "ComRef.h"
#include "KsMultiTrack.h"

#include <cstdint>
#include <vector>

class PlaybackRenderer {
public:
    PlaybackRenderer() = default;
    ~PlaybackRenderer();
    PlaybackRenderer(const PlaybackRenderer&) = delete;
    PlaybackRenderer& operator=(const PlaybackRenderer&) = delete;

    // Plays [start, end) of set (held); the mix of the marked tracks, every track when none is.
    HRESULT Begin(IMtTrackSet* set, LONGLONG start, LONGLONG end);
    void End();

    // Up to frames stereo frames of one stretch of the time line (it stops at a wrap):
    // *from gets its first position. 0 once the range is over (or on failure, in *hr).
    size_t Render(int16_t* out, size_t frames, LONGLONG* from, HRESULT* hr);
    // The next Render starts at position, clamped to the range.
    void Seek(LONGLONG position);
    bool Done() const { return m_done; }
    LONGLONG Position() const { return m_position; }
    LONGLONG RangeStart() const { return m_start; }
    LONGLONG RangeEnd() const { return m_end; }
    DWORD Rate() const { return m_rate; }

    // Peak of the last stretch rendered, per side, 0..32767.
    LONG PeakLeft() const { return m_peakLeft; }
    LONG PeakRight() const { return m_peakRight; }

private:
    HRESULT Refresh();

    ComRef<IMtTrackSet> m_set;
    ComRef<IMtMixReader> m_reader;
    DWORD m_rate = 44100;
    LONGLONG m_start = 0;
    LONGLONG m_end = 0;
    LONGLONG m_position = 0;
    LONGLONG m_sinceRefresh = 0;
    bool m_done = false;
    LONG m_peakLeft = 0;
    LONG m_peakRight = 0;
    std::vector<float> m_mix;
};
