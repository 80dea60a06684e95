#include "Devices.h"

#include <mmsystem.h>
#include <dsound.h>

#include <cstring>

namespace {

BOOL CALLBACK CollectDirectSound(LPGUID guid, LPCSTR description, LPCSTR, LPVOID context)
{
    // The primary driver has no GUID; the dialog lists it itself.
    if (guid && description)
        static_cast<std::vector<std::string>*>(context)->push_back(description);
    return TRUE;
}

} // namespace

std::vector<std::string> PlaybackDeviceNames(LONG kind)
{
    std::vector<std::string> names;
    if (kind == 0) {
        UINT count = waveOutGetNumDevs();
        for (UINT i = 0; i < count; ++i) {
            WAVEOUTCAPSA caps{};
            if (waveOutGetDevCapsA(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR)
                names.push_back(caps.szPname);
        }
    } else if (kind == 1) {
        DirectSoundEnumerateA(CollectDirectSound, &names);
    }
    return names;
}

std::vector<std::string> RecordingDeviceNames(LONG kind)
{
    std::vector<std::string> names;
    if (kind == 0) {
        UINT count = waveInGetNumDevs();
        for (UINT i = 0; i < count; ++i) {
            WAVEINCAPSA caps{};
            if (waveInGetDevCapsA(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR)
                names.push_back(caps.szPname);
        }
    }
    return names;
}

HRESULT CopyName(const std::string& name, char* buffer, LONG capacity)
{
    if (!buffer || capacity <= 0)
        return E_POINTER;
    size_t n = std::min(name.size(), static_cast<size_t>(capacity - 1));
    memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return S_OK;
}
