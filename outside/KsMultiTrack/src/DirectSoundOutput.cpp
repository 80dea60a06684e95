// The DirectSound back end of the engine's output.
#include "AudioDevices.h"

#include <dsound.h>

#include "ComRef.h"

#include <algorithm>
#include <cstring>

namespace {

struct FindDirectSound {
    const std::string* name;
    GUID guid;
    bool found;
};

BOOL CALLBACK MatchDirectSound(LPGUID guid, LPCSTR description, LPCSTR, LPVOID context)
{
    auto* f = static_cast<FindDirectSound*>(context);
    if (guid && description && *f->name == description) {
        f->guid = *guid;
        f->found = true;
        return FALSE;
    }
    return TRUE;
}

// A looping DirectSound buffer written ahead of its play cursor.
class DirectSoundOutput : public AudioOutput {
public:
    ~DirectSoundOutput() override
    {
        if (m_buffer)
            m_buffer->Stop();
    }

    HRESULT Open(const DeviceSettings& s, DWORD rate, WORD channels, HWND window, bool paused)
    {
        m_channels = channels;
        m_rate = rate;
        FindDirectSound find{&s.directSoundDevice, GUID{}, false};
        if (!s.directSoundDevice.empty())
            DirectSoundEnumerateA(MatchDirectSound, &find);
        HRESULT hr = DirectSoundCreate(find.found ? &find.guid : nullptr, m_ds.Out(), nullptr);
        if (FAILED(hr)) {
            m_ds.Detach(); // a failed create owns nothing, whatever it left in the slot
            return hr == DSERR_ALLOCATED ? static_cast<HRESULT>(0x83E80835) : static_cast<HRESULT>(0x83E80836);
        }
        hr = m_ds->SetCooperativeLevel(window ? window : GetDesktopWindow(), DSSCL_PRIORITY);
        if (FAILED(hr))
            return static_cast<HRESULT>(0x83E803EA);
        WAVEFORMATEXTENSIBLE format = PcmFormat(rate, channels, 16, s.directSoundExtensible);
        m_bufferMs = std::clamp(s.directSoundBufferMs, 100, 2000);
        m_frames = static_cast<DWORD>(static_cast<ULONGLONG>(rate) * m_bufferMs / 1000);
        m_frameBytes = channels * 2u;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
        desc.dwBufferBytes = m_frames * m_frameBytes;
        desc.lpwfxFormat = &format.Format;
        hr = m_ds->CreateSoundBuffer(&desc, m_buffer.Out(), nullptr);
        if (FAILED(hr)) {
            m_buffer.Detach();
            return hr == DSERR_ALLOCATED ? static_cast<HRESULT>(0x83E80835) : static_cast<HRESULT>(0x83E803EA);
        }
        Clear();
        // Play starts with the first write: a buffer started empty loses what the device
        // mixed ahead before the first frames are in.
        m_paused = true;
        m_startOnWrite = !paused;
        return S_OK;
    }

    size_t Space() override
    {
        Update();
        LONGLONG queued = m_written - m_played;
        // One frame stays free so that full and empty differ.
        return static_cast<size_t>(std::max<LONGLONG>(0, static_cast<LONGLONG>(m_frames) - 1 - queued));
    }
    void Write(const int16_t* frames, size_t count) override
    {
        count = std::min(count, Space());
        while (count > 0) {
            DWORD at = static_cast<DWORD>(m_written % m_frames);
            DWORD n = static_cast<DWORD>(std::min<size_t>(count, m_frames - at));
            void* p1 = nullptr;
            void* p2 = nullptr;
            DWORD b1 = 0, b2 = 0;
            if (FAILED(m_buffer->Lock(at * m_frameBytes, n * m_frameBytes, &p1, &b1, &p2, &b2, 0)))
                return;
            memcpy(p1, frames, b1);
            if (p2)
                memcpy(p2, reinterpret_cast<const uint8_t*>(frames) + b1, b2);
            m_buffer->Unlock(p1, b1, p2, b2);
            frames += n * m_channels;
            count -= n;
            m_written += n;
        }
        SilenceAhead(m_frames);
        if (m_startOnWrite && m_written > 0) {
            m_startOnWrite = false;
            m_paused = false;
            m_buffer->Play(0, 0, DSBPLAY_LOOPING);
        }
    }
    LONGLONG Played() override
    {
        Update();
        return std::min(m_played, m_written);
    }
    LONGLONG Written() const override { return m_written; }
    void Pause() override
    {
        Update();
        m_paused = true;
        m_startOnWrite = false;
        m_buffer->Stop();
    }
    void Resume() override
    {
        if (m_written > m_played) {
            m_paused = false;
            m_buffer->Play(0, 0, DSBPLAY_LOOPING);
        } else {
            m_startOnWrite = true;
        }
    }
    void Reset() override
    {
        const bool running = !m_paused || m_startOnWrite;
        m_buffer->Stop();
        m_buffer->SetCurrentPosition(0);
        Clear();
        m_written = m_played = 0;
        m_lastCursor = 0;
        m_draining = false;
        m_paused = true;
        m_startOnWrite = running;
    }
    HANDLE WaitHandle() const override { return nullptr; }
    LONG Underruns() const override { return m_underruns; }
    int BufferMs() const override { return m_bufferMs; }
    void SetDraining(bool draining) override
    {
        // Nothing more comes: all the buffer holds past the written end is silenced.
        if (draining && !m_draining)
            SilenceAhead(m_frames);
        m_draining = draining;
    }
    LONGLONG HeardDelay() const override { return static_cast<LONGLONG>(m_rate) * kHeardDelayMs / 1000; }

private:
    // The buffer loops: what lies past the written end is old sound, heard again should the
    // writing fall behind or stop. It is silenced after every write.
    void SilenceAhead(DWORD most)
    {
        LONGLONG free = static_cast<LONGLONG>(m_frames) - 1 - (m_written - m_played);
        DWORD n = static_cast<DWORD>(std::max<LONGLONG>(0, std::min<LONGLONG>(free, most)));
        if (n == 0)
            return;
        DWORD at = static_cast<DWORD>(m_written % m_frames);
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD b1 = 0, b2 = 0;
        if (SUCCEEDED(m_buffer->Lock(at * m_frameBytes, n * m_frameBytes, &p1, &b1, &p2, &b2, 0))) {
            memset(p1, 0, b1);
            if (p2)
                memset(p2, 0, b2);
            m_buffer->Unlock(p1, b1, p2, b2);
        }
    }
    void Clear()
    {
        void* p1 = nullptr;
        void* p2 = nullptr;
        DWORD b1 = 0, b2 = 0;
        if (SUCCEEDED(m_buffer->Lock(0, 0, &p1, &b1, &p2, &b2, DSBLOCK_ENTIREBUFFER))) {
            memset(p1, 0, b1);
            m_buffer->Unlock(p1, b1, p2, b2);
        }
    }
    // Advances the played count by the play cursor's travel; past the written end the
    // buffer plays old data, which is silenced and counted as an underrun.
    void Update()
    {
        if (m_paused)
            return;
        DWORD play = 0, write = 0;
        if (FAILED(m_buffer->GetCurrentPosition(&play, &write)))
            return;
        DWORD cursor = play / m_frameBytes;
        DWORD step = (cursor + m_frames - m_lastCursor) % m_frames;
        m_lastCursor = cursor;
        m_played += step;
        // Draining, no write silences what the cursor frees any more: the buffer would come
        // round to it just behind the last sound if the stop below came late.
        if (m_draining)
            SilenceAhead(m_frames);
        if (m_draining && m_played >= m_written) {
            // Drained: the looping buffer must not come round to what it held before.
            m_buffer->Stop();
            m_paused = true;
            m_played = m_written;
            Clear();
            return;
        }
        if (m_played > m_written) {
            if (!m_draining)
                ++m_underruns;
            // Go on from where the cursor is: what is written next is heard next.
            m_written = m_played;
            Clear();
        }
    }

    ComRef<IDirectSound> m_ds;
    ComRef<IDirectSoundBuffer> m_buffer;
    WORD m_channels = 2;
    DWORD m_rate = 44100;
    DWORD m_frames = 0;
    DWORD m_frameBytes = 4;
    DWORD m_lastCursor = 0;
    LONGLONG m_written = 0;
    LONGLONG m_played = 0;
    LONG m_underruns = 0;
    int m_bufferMs = 500;
    bool m_paused = false;
    bool m_startOnWrite = false;
    bool m_draining = false;
};

} // namespace

std::unique_ptr<AudioOutput> OpenDirectSoundOutput(const DeviceSettings& settings, DWORD rate, WORD channels,
                                                   HWND window, bool startPaused, HRESULT* hr)
{
    auto out = std::make_unique<DirectSoundOutput>();
    *hr = out->Open(settings, rate, channels, window, startPaused);
    return SUCCEEDED(*hr) ? std::move(out) : nullptr;
}
