// The module's exports, bound by ordinal (KsMultiTrack.def). Nothing thrown leaves them.
#include "Clip.h"
#include "Devices.h"
#include "ItemList.h"
#include "TempStore.h"
#include "TrackSet.h"

namespace {
HWND g_mainWindow = nullptr;
}

extern "C" {

HRESULT WINAPI MtCreateTrackSet(IMtTrackSet** set)
{
    if (!set)
        return E_POINTER;
    *set = ComObject<IMtTrackSet>::Create<CTrackSet>();
    return *set ? S_OK : E_OUTOFMEMORY;
}

HRESULT WINAPI MtCreateTempStore(IMtTempStore** store) { return CreateTempStore(store); }

HRESULT WINAPI MtCreateItemList(IMtItemList** list)
{
    if (!list)
        return E_POINTER;
    *list = ComObject<IMtItemList>::Create<CItemList>();
    return *list ? S_OK : E_OUTOFMEMORY;
}

HRESULT WINAPI MtCreateClip(IMtClip** clip)
{
    if (!clip)
        return E_POINTER;
    *clip = ComObject<IMtClip>::Create<CClip>();
    return *clip ? S_OK : E_OUTOFMEMORY;
}

HRESULT WINAPI MtInitialize(HWND mainWindow)
{
    g_mainWindow = mainWindow;
    return S_OK;
}

HRESULT WINAPI MtUninitialize()
{
    g_mainWindow = nullptr;
    return S_OK;
}

LONG WINAPI MtGetPlaybackDeviceCount(LONG kind)
{
    try {
        return static_cast<LONG>(PlaybackDeviceNames(kind).size());
    } catch (...) {
        return 0;
    }
}

HRESULT WINAPI MtGetPlaybackDeviceName(LONG kind, LONG index, char* buffer, LONG capacity)
{
    if (!buffer || capacity <= 0)
        return E_POINTER;
    buffer[0] = '\0';
    try {
        auto names = PlaybackDeviceNames(kind);
        if (index < 0 || index >= static_cast<LONG>(names.size()))
            return E_INVALIDARG;
        return CopyName(names[static_cast<size_t>(index)], buffer, capacity);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

LONG WINAPI MtGetRecordingDeviceCount(LONG kind)
{
    try {
        return static_cast<LONG>(RecordingDeviceNames(kind).size());
    } catch (...) {
        return 0;
    }
}

HRESULT WINAPI MtGetRecordingDeviceName(LONG kind, LONG index, char* buffer, LONG capacity)
{
    if (!buffer || capacity <= 0)
        return E_POINTER;
    buffer[0] = '\0';
    try {
        auto names = RecordingDeviceNames(kind);
        if (index < 0 || index >= static_cast<LONG>(names.size()))
            return E_INVALIDARG;
        return CopyName(names[static_cast<size_t>(index)], buffer, capacity);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// No ASIO host yet: no drivers are installed as far as the engine knows.
LONG WINAPI MtGetAsioDriverCount() { return 0; }

HRESULT WINAPI MtGetAsioDriverName(LONG, char* buffer, LONG capacity)
{
    if (!buffer || capacity <= 0)
        return E_POINTER;
    buffer[0] = '\0';
    return E_INVALIDARG;
}

HRESULT WINAPI MtGetAsioDriver(IUnknown** driver)
{
    if (!driver)
        return E_POINTER;
    *driver = nullptr;
    return kMtErrNoDevice;
}

HRESULT WINAPI MtSelectAsioDriver(const char* name) { return name ? kMtErrNoDevice : E_POINTER; }
HRESULT WINAPI MtCloseAsioDriver() { return S_OK; }
HRESULT WINAPI MtOpenAsio() { return kMtErrNoDevice; }
HRESULT WINAPI MtSuspendAudio(LONG) { return S_OK; }
LONG WINAPI MtGetSampleRate() { return 0; }

HRESULT WINAPI DllCanUnloadNow() { return kvcom::CanUnloadNow(); }

} // extern "C"
