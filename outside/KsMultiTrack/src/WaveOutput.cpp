// The waveOut back end of the engine's output: the shared waveOut ring, 16-bit frames.
#include "AudioDevices.h"

#include "WaveOutRing.h"

#include <algorithm>

namespace {

class WaveOutput : public AudioOutput {
public:
    HRESULT Open(const DeviceSettings& s, DWORD rate, WORD channels, bool paused)
    {
        m_rate = rate;
        if (waveOutGetNumDevs() == 0)
            return static_cast<HRESULT>(0x83E80836);
        const WAVEFORMATEXTENSIBLE format = PcmFormat(rate, channels, 16, s.waveOutExtensible);
        const int count = std::clamp(s.waveOutBufferCount, 3, 20);
        m_bufferMs = std::clamp(s.waveOutBufferMs, 100, 500);
        const size_t frames = std::max<size_t>(64, static_cast<size_t>(rate) * m_bufferMs / 1000 / count);
        const MMRESULT r = m_ring.Open(FindWaveOutDevice(s.waveOutDevice), format.Format, frames, count, paused);
        return r == MMSYSERR_NOERROR ? S_OK : WaveOpenError(r, true);
    }

    size_t Space() override { return m_ring.Space(); }
    void Write(const int16_t* frames, size_t count) override { m_ring.Write(frames, count); }
    LONGLONG Played() override { return m_ring.Played(); }
    LONGLONG Written() const override { return m_ring.Written(); }
    void Pause() override { m_ring.Pause(); }
    void Resume() override { m_ring.Resume(); }
    void Reset() override { m_ring.Reset(); }
    HANDLE WaitHandle() const override { return m_ring.WaitHandle(); }
    LONG Underruns() const override { return m_ring.Underruns(); }
    int BufferMs() const override { return m_bufferMs; }
    void SetDraining(bool draining) override { m_ring.SetDraining(draining); }
    LONGLONG HeardDelay() const override { return static_cast<LONGLONG>(m_rate) * kHeardDelayMs / 1000; }

private:
    WaveOutRing m_ring;
    DWORD m_rate = 44100;
    int m_bufferMs = 200;
};

} // namespace

std::unique_ptr<AudioOutput> OpenWaveOutput(const DeviceSettings& settings, DWORD rate, WORD channels,
                                            bool startPaused, HRESULT* hr)
{
    auto out = std::make_unique<WaveOutput>();
    *hr = out->Open(settings, rate, channels, startPaused);
    return SUCCEEDED(*hr) ? std::move(out) : nullptr;
}
