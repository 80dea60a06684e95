// Preview playback of a sound file through the default sound output, on a thread of its
// own; the end of playback is queued as an event and posted to the notify window.
#include "FileIO.h"

#include "SampleCodec.h"
#include "Sources.h"

#include "WaveOutRing.h"

#include <mmsystem.h>

#include <vector>

namespace {

constexpr UINT kPreviewMessage = 0x536;
constexpr LONG kEventComplete = 1;

// One playback: the file's frames as 16-bit PCM through the shared ring of output buffers.
class PreviewJob {
public:
    // Opens the file and the output; a device that will not open answers with its own code.
    HRESULT Open(const char* path)
    {
        HRESULT hr = Catching([&] {
            OpenSoundFile(path, -1, &m_sound);
            if (m_sound.format.channels == 0 || m_sound.format.channels > 2)
                throw CKvSSException(kErrNotSupported);
            m_source = OpenSource(path, m_sound);
        });
        if (FAILED(hr))
            return hr;
        m_out.coding = Coding::PcmLE;
        m_out.channels = m_sound.format.channels;
        m_out.rate = m_sound.format.rate;
        m_out.containerBits = m_out.validBits = 16;
        const MMRESULT r = m_ring.Open(WAVE_MAPPER, Pcm16Format(m_out.channels, m_out.rate), kFrames, 4, false);
        // A machine without a sound device refuses here, with the device's own text.
        if (r != MMSYSERR_NOERROR)
            return static_cast<HRESULT>(0x83EE0000u | r);
        return S_OK;
    }

    // Plays to the end (every written buffer back from the device) or until stop is set; true
    // when it played to the end. A source that fails to read stops it there.
    bool Play(HANDLE stop)
    {
        const Storage storage = StorageOfBits(m_sound.format.EngineBits());
        std::vector<uint8_t> in(kFrames * m_sound.format.BlockAlign());
        std::vector<uint8_t> mid(kFrames * m_out.channels * 4);
        bool failed = false;
        const bool ended = PlayThroughWaveOut(
            m_ring, kFrames,
            [&](void* out, size_t frames) -> size_t {
                try {
                    const size_t got = m_source->Read(in.data(), frames);
                    uint8_t* outs[1] = {mid.data()};
                    DecodeFrames(m_sound.format, in.data(), got, storage, outs, m_out.channels);
                    EncodeFrames(m_out, storage, mid.data(), got, static_cast<uint8_t*>(out));
                    return got;
                } catch (const CKvSSException&) {
                    failed = true;
                    return 0;
                }
            },
            stop);
        return ended && !failed;
    }

private:
    static constexpr size_t kFrames = 8192;
    WaveOutRing m_ring;
    SoundFile m_sound;
    std::unique_ptr<SoundSource> m_source;
    StoredFormat m_out;
};

} // namespace

HRESULT FileIO::StopPreview()
{
    if (m_preview.joinable()) {
        SetEvent(m_stop);
        m_preview.join();
    }
    if (m_stop) {
        CloseHandle(m_stop);
        m_stop = nullptr;
    }
    return S_OK;
}

HRESULT FileIO::PlayPreview(HWND notify, const char* path)
{
    StopPreview();
    if (!path || !*path)
        return E_INVALIDARG;
    auto job = std::make_shared<PreviewJob>();
    const HRESULT hr = job->Open(path);
    if (FAILED(hr))
        return hr;
    m_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_notify = notify;
    const HANDLE stop = m_stop;
    m_preview = std::thread([this, job, stop, notify] {
        if (!job->Play(stop))
            return;
        {
            std::lock_guard<std::mutex> guard(m_eventLock);
            m_events.push_back(kEventComplete);
        }
        if (notify)
            PostMessageA(notify, kPreviewMessage, 0, 0);
    });
    return S_OK;
}

HRESULT FileIO::GetNextEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG)
{
    if (!code)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_eventLock);
    if (m_events.empty())
        return S_FALSE;
    *code = m_events.front();
    m_events.pop_front();
    if (param1)
        *param1 = 0;
    if (param2)
        *param2 = 0;
    return S_OK;
}
