// waveOut through a ring of equal buffers written ahead of the device; the event wakes the
// writer when a buffer comes back. One writer thread drives it. PlayThroughWaveOut is the
// whole loop of a player that feeds it until its source ends or it is stopped.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <functional>
#include <vector>

class WaveOutRing {
public:
    WaveOutRing() = default;
    WaveOutRing(const WaveOutRing&) = delete;
    WaveOutRing& operator=(const WaveOutRing&) = delete;
    ~WaveOutRing();

    // Opens device (the mapper when the device refuses) with count buffers of frames each,
    // paused when asked. A buffer the device cannot take fails as MMSYSERR_ERROR.
    MMRESULT Open(UINT device, const WAVEFORMATEX& format, size_t frames, int count, bool paused);
    // Frames Write accepts now; a partly filled buffer goes out only when full (or draining).
    size_t Space();
    void Write(const void* frames, size_t count);
    // Frames the device has played, and frames written, since the open or the last Reset.
    LONGLONG Played();
    LONGLONG Written() const { return m_written; }
    void Pause();
    void Resume();
    // Drops what is queued; Played and Written count from 0 again.
    void Reset();
    HANDLE WaitHandle() const { return m_event; }
    size_t FrameBytes() const { return m_frameBytes; }
    // Times every buffer came back while playing on and not draining: the device ran dry.
    LONG Underruns() const { return m_underruns; }
    // The device may run dry from now on; what is partly filled goes out at once.
    void SetDraining(bool draining);
    // Every written buffer has come back from the device.
    bool Drained();

private:
    void Send();
    // Counts the buffers out at the device; none out while playing on is an underrun.
    void Collect();

    HWAVEOUT m_handle = nullptr;
    HANDLE m_event = nullptr;
    size_t m_frameBytes = 4;
    size_t m_frames = 0;
    size_t m_next = 0;
    size_t m_fill = 0;
    int m_queued = 0;
    LONG m_underruns = 0;
    LONGLONG m_written = 0;
    DWORD m_positionBase = 0;
    bool m_paused = false;
    bool m_draining = false;
    std::vector<std::vector<uint8_t>> m_data;
    std::vector<WAVEHDR> m_headers;
};

// Plays what fill gives (it writes at most the frames asked into the buffer and returns how
// many it wrote, 0 at the end) until it has all been played, or until stop is signalled. The
// device starts once the first pass has filled every buffer (or the source has ended).
// True when it played to the end; the ring is reset either way.
bool PlayThroughWaveOut(WaveOutRing& ring, size_t blockFrames, const std::function<size_t(void*, size_t)>& fill,
                        HANDLE stop);
