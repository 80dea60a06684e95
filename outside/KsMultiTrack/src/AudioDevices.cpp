#include "AudioDevices.h"

#include "Settings.h"

#include <algorithm>
#include <cstring>

namespace {

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
    s.waveInBufferMs = std::clamp(GetSettingIntDefault("WaveInBufferCount"), 5, 50) * 100;
    s.waveInOffsetMs = std::clamp(GetSettingIntDefault("WaveInOffset"), 0, 1000);
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
    return settings.directSound ? OpenDirectSoundOutput(settings, rate, channels, window, startPaused, hr)
                                : OpenWaveOutput(settings, rate, channels, startPaused, hr);
}
