#include "AudioRenderer.h"

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
    IPropertyBag* bag = nullptr;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))))
        return false;
    CLSID deviceClass;
    std::memset(&deviceClass, 0, sizeof(deviceClass));
    char friendly[kNameCapacity] = {};
    char classText[kNameCapacity] = {};
    BSTR classString = nullptr;
    if (ReadText(bag, L"CLSID", classText, kNameCapacity, &classString) &&
        SUCCEEDED(CLSIDFromString(classString, &deviceClass))) {
        if (!ReadText(bag, L"FriendlyName", friendly, kNameCapacity))
            lstrcpynA(friendly, classText, kNameCapacity);
    }
    SysFreeString(classString);
    bag->Release();
    return IsEqualCLSID(deviceClass, wanted) && std::strstr(friendly, name) != nullptr;
}

} // namespace

HRESULT EnumerateDeviceCategory(REFCLSID category, IEnumMoniker** devices)
{
    if (!devices)
        return E_POINTER;
    *devices = nullptr;
    ICreateDevEnum* system = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  reinterpret_cast<void**>(&system));
    if (FAILED(hr))
        return hr;
    IEnumMoniker* found = nullptr;
    hr = system->CreateClassEnumerator(category, &found, 0);
    system->Release();
    if (hr != S_OK) {
        // S_FALSE: a category without devices hands out no enumerator.
        if (found)
            found->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }
    hr = found->QueryInterface(IID_IEnumMoniker, reinterpret_cast<void**>(devices));
    found->Release();
    return hr;
}

HRESULT FindRendererDevice(IEnumMoniker* devices, REFCLSID wanted, const char* name, IBaseFilter** filter)
{
    if (!devices || !name || !filter)
        return E_POINTER;
    *filter = nullptr;
    IMoniker* moniker = nullptr;
    while (devices->Next(1, &moniker, nullptr) == S_OK) {
        if (moniker && DeviceMatches(moniker, wanted, name)) {
            IBaseFilter* bound = nullptr;
            if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&bound))) &&
                bound) {
                moniker->Release();
                *filter = bound;
                return S_OK;
            }
            if (bound)
                bound->Release();
        }
        if (moniker)
            moniker->Release();
        moniker = nullptr;
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

    IBaseFilter* found = nullptr;
    if (name[0]) {
        IEnumMoniker* devices = nullptr;
        if (SUCCEEDED(EnumerateDeviceCategory(CLSID_AudioRendererCategory, &devices))) {
            FindRendererDevice(devices, wanted, name, &found);
            devices->Release();
        }
    }
    if (!found) {
        HRESULT hr =
            CoCreateInstance(wanted, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&found));
        if (FAILED(hr))
            return hr;
        if (!found)
            return E_FAIL;
    }
    IBaseFilter* out = nullptr;
    HRESULT hr = found->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&out));
    found->Release();
    if (SUCCEEDED(hr))
        *filter = out;
    return hr;
}

int CanCreateAudioRenderer()
{
    IBaseFilter* filter = nullptr;
    if (FAILED(CreateAudioRendererFilter(&filter)) || !filter)
        return 0;
    filter->Release();
    return 1;
}
