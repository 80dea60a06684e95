#include "WaveOutRing.h"

#include <algorithm>
#include <cstring>

WaveOutRing::~WaveOutRing()
{
    if (m_handle) {
        waveOutReset(m_handle);
        for (WAVEHDR& h : m_headers)
            if (h.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(m_handle, &h, sizeof(h));
        waveOutClose(m_handle);
    }
    if (m_event)
        CloseHandle(m_event);
}

MMRESULT WaveOutRing::Open(UINT device, const WAVEFORMATEX& format, size_t frames, int count, bool paused)
{
    m_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_event)
        return MMSYSERR_NOMEM;
    m_frameBytes = format.nBlockAlign;
    m_frames = std::max<size_t>(1, frames);
    MMRESULT r = waveOutOpen(&m_handle, device, &format, reinterpret_cast<DWORD_PTR>(m_event), 0, CALLBACK_EVENT);
    if (r != MMSYSERR_NOERROR && device != WAVE_MAPPER)
        r = waveOutOpen(&m_handle, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(m_event), 0, CALLBACK_EVENT);
    if (r != MMSYSERR_NOERROR) {
        m_handle = nullptr;
        return r;
    }
    if (paused) {
        waveOutPause(m_handle);
        m_paused = true;
    }
    m_data.assign(static_cast<size_t>(std::max(1, count)), std::vector<uint8_t>(m_frames * m_frameBytes));
    m_headers.assign(m_data.size(), WAVEHDR{});
    for (size_t i = 0; i < m_headers.size(); ++i) {
        m_headers[i].lpData = reinterpret_cast<LPSTR>(m_data[i].data());
        m_headers[i].dwBufferLength = static_cast<DWORD>(m_frames * m_frameBytes);
        if (waveOutPrepareHeader(m_handle, &m_headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
            return MMSYSERR_ERROR;
        m_headers[i].dwFlags |= WHDR_DONE;
    }
    return MMSYSERR_NOERROR;
}

size_t WaveOutRing::Space()
{
    Collect();
    size_t free = 0;
    for (const WAVEHDR& h : m_headers)
        if (h.dwFlags & WHDR_DONE)
            ++free;
    return free * m_frames - m_fill;
}

void WaveOutRing::Write(const void* frames, size_t count)
{
    const uint8_t* from = static_cast<const uint8_t*>(frames);
    while (count > 0) {
        WAVEHDR& h = m_headers[m_next];
        if (!(h.dwFlags & WHDR_DONE))
            return;
        const size_t n = std::min(count, m_frames - m_fill);
        memcpy(m_data[m_next].data() + m_fill * m_frameBytes, from, n * m_frameBytes);
        m_fill += n;
        from += n * m_frameBytes;
        count -= n;
        m_written += static_cast<LONGLONG>(n);
        if (m_fill == m_frames || m_draining)
            Send();
    }
}

LONGLONG WaveOutRing::Played()
{
    MMTIME t{};
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(m_handle, &t, sizeof(t)) != MMSYSERR_NOERROR || t.wType != TIME_SAMPLES)
        return 0;
    const LONGLONG played = static_cast<LONGLONG>(t.u.sample) - m_positionBase;
    return std::max<LONGLONG>(0, std::min(played, m_written));
}

void WaveOutRing::Pause()
{
    m_paused = true;
    waveOutPause(m_handle);
}

void WaveOutRing::Resume()
{
    m_paused = false;
    waveOutRestart(m_handle);
}

void WaveOutRing::Reset()
{
    waveOutReset(m_handle);
    if (m_paused)
        waveOutPause(m_handle);
    for (WAVEHDR& h : m_headers)
        h.dwFlags |= WHDR_DONE;
    m_fill = 0;
    m_written = 0;
    m_queued = 0;
    m_draining = false;
    MMTIME t{};
    t.wType = TIME_SAMPLES;
    m_positionBase = waveOutGetPosition(m_handle, &t, sizeof(t)) == MMSYSERR_NOERROR ? t.u.sample : 0;
}

void WaveOutRing::SetDraining(bool draining)
{
    m_draining = draining;
    if (draining && m_fill > 0)
        Send();
}

bool WaveOutRing::Drained()
{
    Collect();
    return m_queued == 0 && m_fill == 0;
}

void WaveOutRing::Send()
{
    WAVEHDR& h = m_headers[m_next];
    h.dwBufferLength = static_cast<DWORD>(m_fill * m_frameBytes);
    h.dwFlags &= ~WHDR_DONE;
    if (waveOutWrite(m_handle, &h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        h.dwFlags |= WHDR_DONE;
    else
        ++m_queued;
    m_fill = 0;
    m_next = (m_next + 1) % m_headers.size();
}

void WaveOutRing::Collect()
{
    int queued = 0;
    for (const WAVEHDR& h : m_headers)
        if (!(h.dwFlags & WHDR_DONE))
            ++queued;
    if (m_queued > 0 && queued == 0 && !m_paused && !m_draining)
        ++m_underruns;
    m_queued = queued;
}

bool PlayThroughWaveOut(WaveOutRing& ring, size_t blockFrames, const std::function<size_t(void*, size_t)>& fill,
                        HANDLE stop)
{
    std::vector<uint8_t> block;
    bool ended = false;
    // Started on its first buffer, the device plays it while the next ones are still being
    // filled, and the sound server runs dry and skips a piece of the start: it starts once the
    // first pass has queued all the ring takes.
    ring.Pause();
    bool started = false;
    for (;;) {
        while (!ended) {
            const size_t space = std::min(ring.Space(), blockFrames);
            if (space == 0)
                break;
            block.resize(std::max(block.size(), space * ring.FrameBytes()));
            const size_t got = fill(block.data(), space);
            if (got == 0) {
                ended = true;
                ring.SetDraining(true);
                break;
            }
            ring.Write(block.data(), got);
        }
        if (!started) {
            started = true;
            ring.Resume();
        }
        // The end is heard once every buffer has come back.
        if (ended && ring.Drained())
            break;
        HANDLE waits[2];
        DWORD count = 0;
        if (stop)
            waits[count++] = stop;
        waits[count++] = ring.WaitHandle();
        if (WaitForMultipleObjects(count, waits, FALSE, 500) == WAIT_OBJECT_0 && stop) {
            ring.Reset();
            return false;
        }
    }
    ring.Reset();
    return true;
}
