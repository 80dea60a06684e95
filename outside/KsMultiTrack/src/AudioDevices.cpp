#include "AudioDevices.h"

#include "SampleFormat.h"
#include "Settings.h"

#include <dsound.h>
#include <ks.h>
#include <ksmedia.h>

#include <algorithm>
#include <cstring>

namespace {

int Clamp(int v, int lo, int hi)
{
    return std::max(lo, std::min(hi, v));
}

std::string Setting(const char* name)
{
    std::string text;
    GetSettingStringDefault(name, &text);
    return text;
}

bool SameName(const char* device, const std::string& name)
{
    return !name.empty() && strncmp(device, name.c_str(), MAXPNAMELEN - 1) == 0 &&
           (name.size() < MAXPNAMELEN || strlen(device) == MAXPNAMELEN - 1);
}

// waveOut through a ring of headers; the event wakes the worker when one comes back.
class WaveOutput : public AudioOutput {
public:
    ~WaveOutput() override
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

    HRESULT Open(const DeviceSettings& s, DWORD rate, WORD channels, bool paused)
    {
        m_channels = channels;
        m_rate = rate;
        m_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!m_event)
            return E_OUTOFMEMORY;
        if (waveOutGetNumDevs() == 0)
            return kNoDevice;
        WAVEFORMATEXTENSIBLE format = PcmFormat(rate, channels, 16, s.waveOutExtensible);
        int count = Clamp(s.waveOutBufferCount, 3, 20);
        int totalMs = Clamp(s.waveOutBufferMs, 100, 500);
        m_bufferMs = totalMs;
        m_frames = std::max<size_t>(64, static_cast<size_t>(rate) * totalMs / 1000 / count);
        UINT id = FindWaveOutDevice(s.waveOutDevice);
        MMRESULT r =
            waveOutOpen(&m_handle, id, &format.Format, reinterpret_cast<DWORD_PTR>(m_event), 0, CALLBACK_EVENT);
        if (r != MMSYSERR_NOERROR && id != WAVE_MAPPER)
            r = waveOutOpen(&m_handle, WAVE_MAPPER, &format.Format, reinterpret_cast<DWORD_PTR>(m_event), 0,
                            CALLBACK_EVENT);
        if (r != MMSYSERR_NOERROR) {
            m_handle = nullptr;
            return WaveOpenError(r, true);
        }
        if (paused) {
            waveOutPause(m_handle);
            m_paused = true;
        }
        m_data.assign(static_cast<size_t>(count), std::vector<int16_t>(m_frames * channels));
        m_headers.assign(static_cast<size_t>(count), WAVEHDR{});
        for (size_t i = 0; i < m_headers.size(); ++i) {
            m_headers[i].lpData = reinterpret_cast<LPSTR>(m_data[i].data());
            m_headers[i].dwBufferLength = static_cast<DWORD>(m_frames * channels * 2);
            if (waveOutPrepareHeader(m_handle, &m_headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
                return kOpenFailed;
            m_headers[i].dwFlags |= WHDR_DONE;
        }
        return S_OK;
    }

    size_t Space() override
    {
        Collect();
        size_t free = 0;
        for (const WAVEHDR& h : m_headers)
            if (h.dwFlags & WHDR_DONE)
                ++free;
        // A partly filled header goes out only when full; its rest counts as space.
        return free * m_frames - m_fill;
    }

    void Write(const int16_t* frames, size_t count) override
    {
        while (count > 0) {
            WAVEHDR& h = m_headers[m_next];
            if (!(h.dwFlags & WHDR_DONE))
                return;
            size_t n = std::min(count, m_frames - m_fill);
            memcpy(m_data[m_next].data() + m_fill * m_channels, frames, n * m_channels * 2);
            m_fill += n;
            frames += n * m_channels;
            count -= n;
            m_written += static_cast<LONGLONG>(n);
            if (m_fill == m_frames || m_draining)
                Send();
        }
    }

    LONGLONG Played() override
    {
        MMTIME t{};
        t.wType = TIME_SAMPLES;
        if (waveOutGetPosition(m_handle, &t, sizeof(t)) != MMSYSERR_NOERROR || t.wType != TIME_SAMPLES)
            return 0;
        LONGLONG played = static_cast<LONGLONG>(t.u.sample) - m_positionBase;
        return std::max<LONGLONG>(0, std::min(played, m_written));
    }
    LONGLONG Written() const override { return m_written; }
    void Pause() override
    {
        m_paused = true;
        waveOutPause(m_handle);
    }
    void Resume() override
    {
        m_paused = false;
        waveOutRestart(m_handle);
    }
    void Reset() override
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
    HANDLE WaitHandle() const override { return m_event; }
    LONG Underruns() const override { return m_underruns; }
    int BufferMs() const override { return m_bufferMs; }
    void SetDraining(bool draining) override
    {
        m_draining = draining;
        if (draining && m_fill > 0)
            Send();
    }
    LONGLONG HeardDelay() const override { return static_cast<LONGLONG>(m_rate) * kHeardDelayMs / 1000; }

private:
    static constexpr HRESULT kNoDevice = static_cast<HRESULT>(0x83E80836);
    static constexpr HRESULT kOpenFailed = static_cast<HRESULT>(0x83E803EA);

    void Send()
    {
        WAVEHDR& h = m_headers[m_next];
        h.dwBufferLength = static_cast<DWORD>(m_fill * m_channels * 2);
        h.dwFlags &= ~WHDR_DONE;
        if (waveOutWrite(m_handle, &h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
            h.dwFlags |= WHDR_DONE;
        else
            ++m_queued;
        m_fill = 0;
        m_next = (m_next + 1) % m_headers.size();
    }
    // Counts the headers that came back; all back while playing on means the output ran dry.
    void Collect()
    {
        int queued = 0;
        for (const WAVEHDR& h : m_headers)
            if (!(h.dwFlags & WHDR_DONE))
                ++queued;
        if (m_queued > 0 && queued == 0 && !m_paused && !m_draining)
            ++m_underruns;
        m_queued = queued;
    }

    HWAVEOUT m_handle = nullptr;
    HANDLE m_event = nullptr;
    WORD m_channels = 2;
    DWORD m_rate = 44100;
    size_t m_frames = 0;
    size_t m_next = 0;
    size_t m_fill = 0;
    int m_queued = 0;
    int m_bufferMs = 200;
    LONG m_underruns = 0;
    LONGLONG m_written = 0;
    DWORD m_positionBase = 0;
    bool m_paused = false;
    bool m_draining = false;
    std::vector<std::vector<int16_t>> m_data;
    std::vector<WAVEHDR> m_headers;
};

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
        if (m_buffer) {
            m_buffer->Stop();
            m_buffer->Release();
        }
        if (m_ds)
            m_ds->Release();
    }

    HRESULT Open(const DeviceSettings& s, DWORD rate, WORD channels, HWND window, bool paused)
    {
        m_channels = channels;
        m_rate = rate;
        FindDirectSound find{&s.directSoundDevice, GUID{}, false};
        if (!s.directSoundDevice.empty())
            DirectSoundEnumerateA(MatchDirectSound, &find);
        HRESULT hr = DirectSoundCreate(find.found ? &find.guid : nullptr, &m_ds, nullptr);
        if (FAILED(hr)) {
            m_ds = nullptr;
            return hr == DSERR_ALLOCATED ? static_cast<HRESULT>(0x83E80835) : static_cast<HRESULT>(0x83E80836);
        }
        hr = m_ds->SetCooperativeLevel(window ? window : GetDesktopWindow(), DSSCL_PRIORITY);
        if (FAILED(hr))
            return static_cast<HRESULT>(0x83E803EA);
        WAVEFORMATEXTENSIBLE format = PcmFormat(rate, channels, 16, s.directSoundExtensible);
        m_bufferMs = Clamp(s.directSoundBufferMs, 100, 2000);
        m_frames = static_cast<DWORD>(static_cast<ULONGLONG>(rate) * m_bufferMs / 1000);
        m_frameBytes = channels * 2u;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
        desc.dwBufferBytes = m_frames * m_frameBytes;
        desc.lpwfxFormat = &format.Format;
        hr = m_ds->CreateSoundBuffer(&desc, &m_buffer, nullptr);
        if (FAILED(hr)) {
            m_buffer = nullptr;
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

    IDirectSound* m_ds = nullptr;
    IDirectSoundBuffer* m_buffer = nullptr;
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

DeviceSettings DeviceSettings::Read()
{
    DeviceSettings s;
    s.directSound = GetSettingIntDefault("DirectSoundUse") != 0;
    s.directSoundDevice = Setting("DirectSoundDevice");
    s.directSoundBufferMs = GetSettingIntDefault("DirectSoundBufferLength");
    s.directSoundExtensible = GetSettingIntDefault("DirectSoundEnableExTensible") != 0;
    s.waveOutDevice = Setting("WaveOutDevice");
    s.waveOutBufferMs = GetSettingIntDefault("WaveOutBufferLength");
    s.waveOutBufferCount = GetSettingIntDefault("WaveOutBufferCount");
    s.waveOutExtensible = GetSettingIntDefault("WaveOutEnableExTensible") != 0;
    s.waveInDevice = Setting("WaveInDevice");
    s.waveInBufferMs = Clamp(GetSettingIntDefault("WaveInBufferCount"), 5, 50) * 100;
    s.waveInOffsetMs = Clamp(GetSettingIntDefault("WaveInOffset"), 0, 1000);
    s.waveInExtensible = GetSettingIntDefault("WaveInUseExTensible") != 0;
    s.asio = GetSettingIntDefault("AsioUse") != 0;
    return s;
}

UINT FindWaveOutDevice(const std::string& name)
{
    UINT count = waveOutGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR && SameName(caps.szPname, name))
            return i;
    }
    return WAVE_MAPPER;
}

UINT FindWaveInDevice(const std::string& name)
{
    UINT count = waveInGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        WAVEINCAPSA caps{};
        if (waveInGetDevCapsA(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR && SameName(caps.szPname, name))
            return i;
    }
    return WAVE_MAPPER;
}

WAVEFORMATEXTENSIBLE PcmFormat(DWORD rate, WORD channels, WORD bits, bool extensible, bool isFloat)
{
    WAVEFORMATEXTENSIBLE f{};
    f.Format.wFormatTag = WAVE_FORMAT_PCM;
    f.Format.nChannels = channels;
    f.Format.nSamplesPerSec = rate;
    f.Format.wBitsPerSample = bits;
    f.Format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.Format.nAvgBytesPerSec = rate * f.Format.nBlockAlign;
    if (extensible || bits > 16 || channels > 2) {
        f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        f.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
        f.Samples.wValidBitsPerSample = bits;
        f.dwChannelMask = channels == 1   ? SPEAKER_FRONT_CENTER
                          : channels == 2 ? (SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT)
                                          : KSAUDIO_SPEAKER_5POINT1;
        // KSDATAFORMAT_SUBTYPE_PCM and _IEEE_FLOAT, kept here rather than linked from a GUID library.
        f.SubFormat =
            GUID{isFloat ? 0x00000003u : 0x00000001u, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    }
    return f;
}

HRESULT WaveOpenError(MMRESULT result, bool playback)
{
    switch (result) {
    case MMSYSERR_ALLOCATED:
        return static_cast<HRESULT>(0x83E80835);
    case MMSYSERR_BADDEVICEID:
    case MMSYSERR_NODRIVER:
        return static_cast<HRESULT>(0x83E80836);
    case MMSYSERR_NOMEM:
        return E_OUTOFMEMORY;
    default:
        return static_cast<HRESULT>(playback ? 0x83E803EA : 0x83E8083F);
    }
}

std::unique_ptr<AudioOutput> OpenAudioOutput(const DeviceSettings& settings, DWORD rate, WORD channels, HWND window,
                                             bool startPaused, HRESULT* hr)
{
    if (settings.directSound) {
        auto out = std::make_unique<DirectSoundOutput>();
        *hr = out->Open(settings, rate, channels, window, startPaused);
        return SUCCEEDED(*hr) ? std::move(out) : nullptr;
    }
    auto out = std::make_unique<WaveOutput>();
    *hr = out->Open(settings, rate, channels, startPaused);
    return SUCCEEDED(*hr) ? std::move(out) : nullptr;
}

AudioInput::~AudioInput()
{
    if (m_handle) {
        waveInReset(m_handle);
        for (WAVEHDR& h : m_headers)
            if (h.dwFlags & WHDR_PREPARED)
                waveInUnprepareHeader(m_handle, &h, sizeof(h));
        waveInClose(m_handle);
    }
    if (m_event)
        CloseHandle(m_event);
}

std::unique_ptr<AudioInput> AudioInput::Open(const DeviceSettings& settings, DWORD rate, WORD channels, WORD bits,
                                             HRESULT* hr)
{
    std::unique_ptr<AudioInput> in(new AudioInput);
    in->m_channels = channels;
    in->m_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!in->m_event) {
        *hr = E_OUTOFMEMORY;
        return nullptr;
    }
    if (waveInGetNumDevs() == 0) {
        *hr = static_cast<HRESULT>(0x83E80836);
        return nullptr;
    }
    struct Try {
        WORD bits;
        bool isFloat;
    };
    static const Try kBytes[] = {{8, false}, {16, false}};
    static const Try kWords[] = {{16, false}};
    static const Try kDeeper[] = {{32, true}, {24, false}, {16, false}};
    struct Tries {
        const Try* first;
        size_t count;
    };
    const Tries tries = bits == 8 ? Tries{kBytes, 2} : bits == 16 ? Tries{kWords, 1} : Tries{kDeeper, 3};
    UINT id = FindWaveInDevice(settings.waveInDevice);
    MMRESULT r = MMSYSERR_ERROR;
    for (UINT device : {id, static_cast<UINT>(WAVE_MAPPER)}) {
        for (size_t k = 0; k < tries.count; ++k) {
            const Try& t = tries.first[k];
            WAVEFORMATEXTENSIBLE format = PcmFormat(rate, channels, t.bits, settings.waveInExtensible, t.isFloat);
            r = waveInOpen(&in->m_handle, device, &format.Format, reinterpret_cast<DWORD_PTR>(in->m_event), 0,
                           CALLBACK_EVENT);
            if (r == MMSYSERR_NOERROR) {
                in->m_bits = t.bits;
                in->m_float = t.isFloat;
                break;
            }
            // A device in use or missing takes no other format either.
            if (r == MMSYSERR_ALLOCATED || r == MMSYSERR_BADDEVICEID || r == MMSYSERR_NODRIVER)
                break;
        }
        if (r == MMSYSERR_NOERROR || device == WAVE_MAPPER)
            break;
    }
    if (r != MMSYSERR_NOERROR) {
        in->m_handle = nullptr;
        *hr = WaveOpenError(r, false);
        return nullptr;
    }
    in->m_frameBytes = static_cast<size_t>(channels) * in->m_bits / 8;
    // 10 ms blocks: the position where a take starts is known to a block at worst.
    const size_t frames = std::max<size_t>(32, rate / 100);
    const size_t count = std::max<size_t>(8, static_cast<size_t>(settings.waveInBufferMs) / 10);
    in->m_data.assign(count, std::vector<uint8_t>(frames * in->m_frameBytes));
    in->m_headers.assign(count, WAVEHDR{});
    for (size_t i = 0; i < count; ++i) {
        WAVEHDR& h = in->m_headers[i];
        h.lpData = reinterpret_cast<LPSTR>(in->m_data[i].data());
        h.dwBufferLength = static_cast<DWORD>(frames * in->m_frameBytes);
        if (waveInPrepareHeader(in->m_handle, &h, sizeof(h)) != MMSYSERR_NOERROR ||
            waveInAddBuffer(in->m_handle, &h, sizeof(h)) != MMSYSERR_NOERROR) {
            *hr = static_cast<HRESULT>(0x83E8083F);
            return nullptr;
        }
    }
    if (waveInStart(in->m_handle) != MMSYSERR_NOERROR) {
        *hr = static_cast<HRESULT>(0x83E8083F);
        return nullptr;
    }
    *hr = S_OK;
    return in;
}

bool AudioInput::Next(const float** frames, size_t* count)
{
    WAVEHDR& h = m_headers[m_next];
    if (!(h.dwFlags & WHDR_DONE))
        return false;
    *count = h.dwBytesRecorded / m_frameBytes;
    const size_t samples = *count * m_channels;
    m_frames.resize(samples);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(h.lpData);
    for (size_t i = 0; i < samples; ++i) {
        switch (m_bits) {
        case 8:
            m_frames[i] = U8ToFloat(p[i]);
            break;
        case 16: {
            int16_t v;
            memcpy(&v, p + 2 * i, 2);
            m_frames[i] = S16ToFloat(v);
            break;
        }
        case 24: {
            int32_t v =
                static_cast<int32_t>(static_cast<uint32_t>(p[3 * i]) << 8 | static_cast<uint32_t>(p[3 * i + 1]) << 16 |
                                     static_cast<uint32_t>(p[3 * i + 2]) << 24);
            m_frames[i] = static_cast<float>(v / 2147483648.0);
            break;
        }
        default: {
            float v;
            memcpy(&v, p + 4 * i, 4);
            m_frames[i] = v;
            break;
        }
        }
    }
    *frames = m_frames.data();
    m_delivered += static_cast<LONGLONG>(*count);
    return true;
}

void AudioInput::Requeue()
{
    WAVEHDR& h = m_headers[m_next];
    h.dwFlags &= ~WHDR_DONE;
    h.dwBytesRecorded = 0;
    waveInAddBuffer(m_handle, &h, sizeof(h));
    m_next = (m_next + 1) % m_headers.size();
}

void AudioInput::Stop()
{
    if (m_handle)
        waveInReset(m_handle);
}

LONGLONG AudioInput::DevicePosition()
{
    MMTIME t{};
    t.wType = TIME_SAMPLES;
    if (waveInGetPosition(m_handle, &t, sizeof(t)) != MMSYSERR_NOERROR || t.wType != TIME_SAMPLES)
        return m_delivered;
    return std::max<LONGLONG>(m_delivered, t.u.sample);
}
