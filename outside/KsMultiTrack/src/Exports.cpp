// The module's exports, bound by ordinal (KsMultiTrack.def). Nothing thrown leaves them.
#include "Clip.h"
#include "Devices.h"
#include "ItemList.h"
#include "TempStore.h"
#include "TrackSet.h"
#include "Transport.h"

namespace {

HWND g_mainWindow = nullptr;

// A new engine object of class T behind interface I (one reference), for the Create exports.
template <class T, class I>
HRESULT CreateNew(I** object)
{
    if (!object)
        return E_POINTER;
    *object = T::template Create<T>();
    return *object ? S_OK : E_OUTOFMEMORY;
}

using DeviceNames = std::vector<std::string> (*)(LONG kind);

LONG DeviceCount(DeviceNames names, LONG kind)
{
    try {
        return static_cast<LONG>(names(kind).size());
    } catch (...) {
        return 0;
    }
}

HRESULT DeviceName(DeviceNames names, LONG kind, LONG index, char* buffer, LONG capacity)
{
    if (!buffer || capacity <= 0)
        return E_POINTER;
    buffer[0] = '\0';
    try {
        auto all = names(kind);
        if (index < 0 || index >= static_cast<LONG>(all.size()))
            return E_INVALIDARG;
        return CopyName(all[static_cast<size_t>(index)], buffer, capacity);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace

extern "C" {

HRESULT WINAPI MtCreateTrackSet(IMtTrackSet** set)
{
    return CreateNew<CTrackSet>(set);
}

HRESULT WINAPI MtCreateTempStore(IMtTempStore** store)
{
    return CreateTempStore(store);
}

HRESULT WINAPI MtCreateItemList(IMtItemList** list)
{
    return CreateNew<CItemList>(list);
}

HRESULT WINAPI MtCreateClip(IMtClip** clip)
{
    return CreateNew<CClip>(clip);
}

HRESULT WINAPI MtCreateInstance(REFCLSID clsid, void** object, REFIID iid)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != kMtClsidTransport)
        return CLASS_E_CLASSNOTAVAILABLE;
    try {
        return CreateTransport(iid, object);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// Transports run their threads from Start to Stop; the module's end stops and joins them all.
HRESULT WINAPI MtInitialize(HWND mainWindow)
{
    g_mainWindow = mainWindow;
    return S_OK;
}

HRESULT WINAPI MtUninitialize()
{
    try {
        StopAllTransports();
    } catch (...) {
    }
    g_mainWindow = nullptr;
    return S_OK;
}

LONG WINAPI MtGetPlaybackDeviceCount(LONG kind)
{
    return DeviceCount(PlaybackDeviceNames, kind);
}

HRESULT WINAPI MtGetPlaybackDeviceName(LONG kind, LONG index, char* buffer, LONG capacity)
{
    return DeviceName(PlaybackDeviceNames, kind, index, buffer, capacity);
}

LONG WINAPI MtGetRecordingDeviceCount(LONG kind)
{
    return DeviceCount(RecordingDeviceNames, kind);
}

HRESULT WINAPI MtGetRecordingDeviceName(LONG kind, LONG index, char* buffer, LONG capacity)
{
    return DeviceName(RecordingDeviceNames, kind, index, buffer, capacity);
}

// No ASIO host yet: no drivers are installed as far as the engine knows.
LONG WINAPI MtGetAsioDriverCount()
{
    return 0;
}

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

HRESULT WINAPI MtSelectAsioDriver(const char* name)
{
    return name ? kMtErrNoDevice : E_POINTER;
}
HRESULT WINAPI MtCloseAsioDriver()
{
    return S_OK;
}
HRESULT WINAPI MtOpenAsio()
{
    return kMtErrNoDevice;
}
HRESULT WINAPI MtSuspendAudio(LONG suspend)
{
    try {
        SuspendAllTransports(suspend != 0);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
LONG WINAPI MtGetSampleRate()
{
    return 0;
}

HRESULT WINAPI DllCanUnloadNow()
{
    return kvcom::CanUnloadNow();
}

} // extern "C"
