// The engine's waveIn input.
#include "AudioDevices.h"

#include "SampleFormat.h"

#include <algorithm>
#include <cstring>

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
