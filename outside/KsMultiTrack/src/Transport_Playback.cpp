// CTransport's playback: the output filled from the renderer on the worker, and the position
// and levels of what is heard.
#include "TransportObject.h"

#include <algorithm>

HRESULT CTransport::GetAudiblePosition(LONGLONG* position)
{
    if (!position)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *position = AudibleLocked(nullptr);
    return S_OK;
}

HRESULT CTransport::SetAudiblePosition(LONGLONG position)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_out || m_suspended)
        return m_state == kStopped ? S_FALSE : S_OK;
    const bool hold = m_state == kPlaying && !m_paused;
    if (hold)
        m_out->Pause();
    m_out->Reset();
    m_spans.clear();
    m_renderer.Seek(position);
    m_heard = m_renderer.Position();
    m_endPosted = false;
    ArmTail();
    if (hold)
        HoldUntilFilled();
    SetEvent(m_wake);
    return S_OK;
}

LONG CTransport::GetPlayingStatus()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return (m_out && !m_paused && !m_armed && !m_endPosted && !m_suspended) ? 1 : 0;
}

HRESULT CTransport::GetOutputLevels(DWORD* packed)
{
    if (!packed)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    const Span* at = nullptr;
    AudibleLocked(&at);
    *packed = (at && m_out && !m_endPosted) ? MAKELONG(at->peakLeft, at->peakRight) : 0;
    return S_OK;
}

HRESULT CTransport::GetOutputBuffer(LONG* underruns, LONG* bufferMs)
{
    if (!underruns || !bufferMs)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *underruns = m_out ? m_out->Underruns() : 0;
    *bufferMs = m_out ? m_out->BufferMs() : 0;
    return S_OK;
}

HRESULT CTransport::StartPlayback()
{
    std::unique_lock<std::mutex> guard(m_lock);
    if (!m_set || m_mode != 1)
        return E_UNEXPECTED;
    DeviceSettings settings = DeviceSettings::Read();
    HRESULT hr = Refuse(settings, true, false);
    if (FAILED(hr))
        return hr;
    LONGLONG start = 0, end = 0;
    PlayRange(&start, &end);
    hr = m_renderer.Begin(m_set.Get(), start, end);
    if (FAILED(hr))
        return hr;
    m_out = OpenAudioOutput(settings, m_renderer.Rate(), 2, m_mainWindow, true, &hr);
    if (!m_out) {
        m_renderer.End();
        return hr;
    }
    m_heard = start;
    m_endPosted = false;
    ArmTail();
    HoldUntilFilled();
    m_paused = false;
    m_state = kPlaying;
    StartWorker();
    return S_OK;
}

// m_lock held.
LONGLONG CTransport::AudibleLocked(const Span** at)
{
    if (at)
        *at = nullptr;
    if (m_state == kRecording && !m_out)
        return m_recordStart + (m_takes.empty() ? 0 : m_takes.front().file->Frames());
    if (!m_out || m_spans.empty())
        return m_heard;
    // What the device counts as played is heard a little later.
    LONGLONG played =
        std::max<LONGLONG>(0, std::min(m_clock.Read(m_out->Played(), m_renderer.Rate()), m_out->Written()) -
                                  m_out->HeardDelay());
    while (m_spans.size() > 1 && m_spans.front().device + m_spans.front().frames <= played)
        m_spans.pop_front();
    const Span& s = m_spans.front();
    if (at)
        *at = &s;
    if (played < s.device)
        return s.timeline;
    m_heard = s.timeline + std::min(played - s.device, s.frames);
    return m_heard;
}

// The silence that follows the played range: twice the delay to the speakers, so that a
// slower server than the one measured still hears the end.
void CTransport::ArmTail()
{
    m_clock.Reset();
    m_tailFrames = static_cast<LONGLONG>(m_renderer.Rate()) * 2 * kHeardDelayMs / 1000;
}

// m_lock held, the output paused. Started on its first buffer, the output plays it while
// the next ones are still on their way, and the sound server runs dry and skips a piece of
// the start: the worker's next pass queues all the output holds, then starts it.
void CTransport::HoldUntilFilled()
{
    m_holding = true;
    m_clock.Freeze(m_out->Played());
}

// Renders 10 ms stretches into the output's free space; posts the end once it is heard.
void CTransport::FillOutput()
{
    const size_t block = std::max<DWORD>(1, m_renderer.Rate() / 100);
    m_block.resize(block * 2);
    // Seen on every wake, the clock knows when the device's count last moved.
    m_clock.Read(m_out->Played(), m_renderer.Rate());
    for (;;) {
        if (m_renderer.Done())
            break;
        size_t space = m_out->Space();
        if (space < block)
            break;
        LONGLONG from = 0;
        HRESULT hr = S_OK;
        LONGLONG device = m_out->Written();
        size_t got = m_renderer.Render(m_block.data(), block, &from, &hr);
        if (FAILED(hr)) {
            Post(hr);
            m_renderer.Seek(m_renderer.RangeEnd());
            break;
        }
        if (got > 0) {
            m_out->Write(m_block.data(), got);
            m_spans.push_back(
                Span{device, from, static_cast<LONGLONG>(got), m_renderer.PeakLeft(), m_renderer.PeakRight()});
        }
    }
    if (m_renderer.Done()) {
        // Silence behind the last sound, longer than the way from the device to the
        // speakers: once the device has played it, the sound has been heard, and a stop
        // that resets the device drops silence only.
        while (m_tailFrames > 0) {
            const size_t n = std::min<size_t>({m_out->Space(), block, static_cast<size_t>(m_tailFrames)});
            if (n == 0)
                break;
            std::fill(m_block.begin(), m_block.begin() + n * 2, int16_t(0));
            m_out->Write(m_block.data(), n);
            m_tailFrames -= static_cast<LONGLONG>(n);
        }
        if (m_tailFrames == 0)
            m_out->SetDraining(true);
        if (!m_endPosted && m_tailFrames == 0 && m_out->Played() >= m_out->Written()) {
            m_endPosted = true;
            // A recording goes on after the played sound; only playback ends here.
            if (m_state == kPlaying)
                Post(kMtPlayEnded);
        }
    }
    if (m_holding) {
        m_holding = false;
        // A pause meanwhile keeps it stopped.
        if (m_state == kPlaying && !m_paused) {
            m_clock.Thaw(m_out->Played());
            m_out->Resume();
        }
    }
}
