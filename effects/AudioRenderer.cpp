#include "AudioRenderer.h"

#include "ComRef.h"
#include "Settings.h"

#include <oleauto.h>
#include <uuids.h>

#include <cstring>

namespace {

constexpr int kNameCapacity = 260;

// A string property of a device's bag, as ANSI text; false when it cannot be read.
bool ReadText(IPropertyBag* bag, const wchar_t* property, char* text, int capacity, BSTR* keep = nullptr)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    if (FAILED(bag->Read(property, &value, nullptr)) || value.vt != VT_BSTR) {
        VariantClear(&value);
        return false;
    }
    if (!WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, text, capacity, nullptr, nullptr))
        text[0] = 0;
    text[capacity - 1] = 0;
    if (keep) {
        *keep = value.bstrVal; // handed over: the caller frees it
        value.vt = VT_EMPTY;
    }
    VariantClear(&value);
    return true;
}

// Whether the device behind moniker is of class wanted and carries name.
bool DeviceMatches(IMoniker* moniker, REFCLSID wanted, const char* name)
{
    ComRef<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.OutVoid())))
        return false;
    CLSID deviceClass;
    std::memset(&deviceClass, 0, sizeof(deviceClass));
    char friendly[kNameCapacity] = {};
    char classText[kNameCapacity] = {};
    BSTR classString = nullptr;
    if (ReadText(bag.Get(), L"CLSID", classText, kNameCapacity, &classString) &&
        SUCCEEDED(CLSIDFromString(classString, &deviceClass))) {
        if (!ReadText(bag.Get(), L"FriendlyName", friendly, kNameCapacity))
            lstrcpynA(friendly, classText, kNameCapacity);
    }
    SysFreeString(classString);
    return IsEqualCLSID(deviceClass, wanted) && std::strstr(friendly, name) != nullptr;
}

} // namespace

HRESULT EnumerateDeviceCategory(REFCLSID category, IEnumMoniker** devices)
{
    if (!devices)
        return E_POINTER;
    *devices = nullptr;
    ComRef<ICreateDevEnum> system;
    HRESULT hr =
        CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, system.OutVoid());
    if (FAILED(hr))
        return hr;
    ComRef<IEnumMoniker> found;
    hr = system->CreateClassEnumerator(category, found.Out(), 0);
    // S_FALSE: a category without devices hands out no enumerator.
    if (hr != S_OK)
        return FAILED(hr) ? hr : E_FAIL;
    *devices = found.Detach();
    return S_OK;
}

HRESULT FindRendererDevice(IEnumMoniker* devices, REFCLSID wanted, const char* name, IBaseFilter** filter)
{
    if (!devices || !name || !filter)
        return E_POINTER;
    *filter = nullptr;
    ComRef<IMoniker> moniker;
    while (devices->Next(1, moniker.Out(), nullptr) == S_OK) {
        if (!moniker || !DeviceMatches(moniker.Get(), wanted, name))
            continue;
        ComRef<IBaseFilter> bound;
        if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, bound.OutVoid())) && bound) {
            *filter = bound.Detach();
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT CreateAudioRendererFilter(IBaseFilter** filter)
{
    if (!filter)
        return E_POINTER;
    const bool directSound = GetSettingInt(kSettingsSection, "DirectSoundUse", 0) != 0;
    char name[kNameCapacity] = {};
    GetSettingBuffer(kSettingsSection, directSound ? "DirectSoundDevice" : "WaveOutDevice", "", name, kNameCapacity);
    const CLSID& wanted = directSound ? CLSID_DSoundRender : CLSID_AudioRender;

    ComRef<IBaseFilter> found;
    if (name[0]) {
        ComRef<IEnumMoniker> devices;
        if (SUCCEEDED(EnumerateDeviceCategory(CLSID_AudioRendererCategory, devices.Out())))
            FindRendererDevice(devices.Get(), wanted, name, found.Out());
    }
    if (!found) {
        const HRESULT hr = CoCreateInstance(wanted, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, found.OutVoid());
        if (FAILED(hr))
            return hr;
        if (!found)
            return E_FAIL;
    }
    *filter = found.Detach();
    return S_OK;
}

int CanCreateAudioRenderer()
{
    ComRef<IBaseFilter> filter;
    return SUCCEEDED(CreateAudioRendererFilter(filter.Out())) && filter ? 1 : 0;
}
