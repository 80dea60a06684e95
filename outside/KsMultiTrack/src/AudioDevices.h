// The sound devices a transport opens: an output (waveOut or DirectSound, one file each) fed
// with 16-bit frames, and a waveIn input (AudioInput.cpp). Both are driven from the
// transport's one worker thread; their wait handles wake it when they want attention. Open
// failures are the engine's codes.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <ks.h>
#include <ksmedia.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What section "Settings" says about the devices, read when they open.
struct DeviceSettings {
    bool directSound = false;
    std::string directSoundDevice;
    int directSoundBufferMs = 500;
    std::string waveOutDevice;
    int waveOutBufferMs = 200;
    int waveOutBufferCount = 5;
    bool waveOutExtensible = false;
    bool directSoundExtensible = false;
    std::string waveInDevice;
    int waveInBufferMs = 2000;
    int waveInOffsetMs = 0;
    bool waveInExtensible = false;
    bool asio = false;

    static DeviceSettings Read();
};

// The device id whose product name equals name in its first 31 characters; WAVE_MAPPER for
// an empty or unknown name.
UINT FindWaveOutDevice(const std::string& name);
UINT FindWaveInDevice(const std::string& name);

// A PCM format (extensible when asked, or for more than 16 bits); isFloat: 32-bit IEEE float.
WAVEFORMATEXTENSIBLE PcmFormat(DWORD rate, WORD channels, WORD bits, bool extensible, bool isFloat = false);

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Frames the output takes now; Write accepts at most that many.
    virtual size_t Space() = 0;
    virtual void Write(const int16_t* frames, size_t count) = 0;
    // Frames heard since the open or the last Reset.
    virtual LONGLONG Played() = 0;
    // Frames written since the open or the last Reset.
    virtual LONGLONG Written() const = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Drops what is queued; Played and Written count from 0 again.
    virtual void Reset() = 0;
    // Signalled when space frees up (may be null: then the caller polls).
    virtual HANDLE WaitHandle() const = 0;
    // Times the output ran dry while not paused and not drained on purpose.
    virtual LONG Underruns() const = 0;
    virtual int BufferMs() const = 0;
    // The output may run dry from now on without it counting as an underrun.
    virtual void SetDraining(bool draining) = 0;
    // How far the device's count of played frames runs ahead of what is heard: the sound
    // server's buffering behind the device, which the device does not report.
    virtual LONGLONG HeardDelay() const = 0;
};

// The delay between a device's played count and the speakers, as measured on the sound
// server path the program runs on: 60 to 105 ms through waveOut, the count moving in steps
// of 10 to 15 ms.
constexpr int kHeardDelayMs = 95;

// Opens the output the settings name, paused when startPaused. hr gets the failure.
std::unique_ptr<AudioOutput> OpenAudioOutput(const DeviceSettings& settings, DWORD rate, WORD channels, HWND window,
                                             bool startPaused, HRESULT* hr);
// The back ends it chooses between (WaveOutput.cpp, DirectSoundOutput.cpp).
std::unique_ptr<AudioOutput> OpenWaveOutput(const DeviceSettings& settings, DWORD rate, WORD channels,
                                            bool startPaused, HRESULT* hr);
std::unique_ptr<AudioOutput> OpenDirectSoundOutput(const DeviceSettings& settings, DWORD rate, WORD channels,
                                                   HWND window, bool startPaused, HRESULT* hr);

// waveIn in the record format's depth: 8 or 16 bits as they are, more as 32-bit float (else
// 24-bit, else 16-bit when the device takes neither). Delivers interleaved float frames (full
// scale 1.0) in blocks of 10 ms.
class AudioInput {
public:
    ~AudioInput();
    static std::unique_ptr<AudioInput> Open(const DeviceSettings& settings, DWORD rate, WORD channels, WORD bits,
                                            HRESULT* hr);
    HANDLE WaitHandle() const { return m_event; }
    // The next filled block (frames, count) or false; Requeue after use.
    bool Next(const float** frames, size_t* count);
    void Requeue();
    // Stops the input; the blocks it was filling come back with what they hold.
    void Stop();
    // Frames the device has captured (its position), and frames handed out by Next.
    LONGLONG DevicePosition();
    LONGLONG Delivered() const { return m_delivered; }
    WORD Channels() const { return m_channels; }

private:
    AudioInput() = default;
    HWAVEIN m_handle = nullptr;
    HANDLE m_event = nullptr;
    WORD m_channels = 2;
    WORD m_bits = 16;
    bool m_float = false;
    size_t m_frameBytes = 4;
    std::vector<std::vector<uint8_t>> m_data;
    std::vector<WAVEHDR> m_headers;
    std::vector<float> m_frames;
    size_t m_next = 0;
    LONGLONG m_delivered = 0;
};

// The code of an open failure of waveOut (playback) or waveIn.
HRESULT WaveOpenError(MMRESULT result, bool playback);
