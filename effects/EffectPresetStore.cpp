#include "EffectPresetStore.h"

#include "ComRef.h"
#include "GlobalMemory.h"
#include "RegistryKey.h"

#include <objbase.h>
#include <ocidl.h>

#include <cstring>
#include <vector>

namespace {

// An open preset key; closed with the object.
class PresetKey {
public:
    ~PresetKey()
    {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    LONG Create(const CLSID& id)
    {
        return ::RegCreateKeyExA(HKEY_CURRENT_USER, BuildPresetKeyPath(id).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &m_key, nullptr);
    }
    LONG Open(const CLSID& id)
    {
        return ::RegOpenKeyExA(HKEY_CURRENT_USER, BuildPresetKeyPath(id).c_str(), 0, KEY_ALL_ACCESS, &m_key);
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

HRESULT FromRegistry(LONG status)
{
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

bool ClassOf(IUnknown* filter, CLSID* id)
{
    ComRef<IPersist> persist;
    return filter && SUCCEEDED(filter->QueryInterface(IID_IPersist, persist.OutVoid())) &&
           SUCCEEDED(persist->GetClassID(id));
}

// A filter's persistence and class, with a stream over a movable block of the size the
// filter says its state needs; the stream frees the block.
struct FilterState {
    ComRef<IPersistStream> persist;
    ComRef<IStream> stream;
    HGLOBAL block = nullptr;
    CLSID id{};
};

HRESULT OpenFilterState(IUnknown* filter, FilterState* state)
{
    HRESULT hr = filter ? filter->QueryInterface(IID_IPersistStream, state->persist.OutVoid()) : E_POINTER;
    if (FAILED(hr))
        return hr;
    hr = state->persist->GetClassID(&state->id);
    if (FAILED(hr))
        return hr;
    ULARGE_INTEGER size{};
    hr = state->persist->GetSizeMax(&size);
    if (FAILED(hr))
        return hr;
    if (size.HighPart != 0 || size.LowPart > kMaxEffectState)
        return E_OUTOFMEMORY;
    state->block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size.LowPart ? size.LowPart : 1);
    if (!state->block)
        return E_OUTOFMEMORY;
    if (FAILED(::CreateStreamOnHGlobal(state->block, TRUE, state->stream.Out()))) {
        ::GlobalFree(state->block);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

} // namespace

std::string BuildPresetKeyPath(const CLSID& id)
{
    wchar_t wide[64] = {};
    ::StringFromGUID2(id, wide, 64);
    char text[64] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return GetSettingsRoot() + "\\Effecters\\Presets\\" + text;
}

HRESULT SavePreset(const char* name, const CLSID& id, HGLOBAL block)
{
    PresetKey key;
    LONG status = key.Create(id);
    if (status != ERROR_SUCCESS)
        return FromRegistry(status);
    const SIZE_T bytes = ::GlobalSize(block);
    const void* data = ::GlobalLock(block);
    if (!data)
        return E_OUTOFMEMORY;
    status = ::RegSetValueExA(key.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes));
    ::GlobalUnlock(block);
    return FromRegistry(status);
}

HRESULT LoadPreset(const char* name, const CLSID& id, HGLOBAL block)
{
    PresetKey key;
    LONG status = key.Open(id);
    if (status != ERROR_SUCCESS)
        return status == ERROR_FILE_NOT_FOUND ? S_FALSE : FromRegistry(status);
    DWORD size = 0, type = 0;
    status = ::RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return S_FALSE;
    if (status != ERROR_SUCCESS)
        return FromRegistry(status);
    std::vector<BYTE> value(size ? size : 1, 0);
    status = ::RegQueryValueExA(key.Get(), name, nullptr, &type, value.data(), &size);
    if (status != ERROR_SUCCESS)
        return FromRegistry(status);
    void* data = ::GlobalLock(block);
    if (!data)
        return E_OUTOFMEMORY;
    const SIZE_T room = ::GlobalSize(block);
    std::memcpy(data, value.data(), size < room ? size : room);
    ::GlobalUnlock(block);
    return S_OK;
}

HRESULT SaveEffectState(IUnknown* filter, const char* name)
{
    FilterState state;
    HRESULT hr = OpenFilterState(filter, &state);
    if (FAILED(hr))
        return hr;
    if (FAILED(state.persist->Save(state.stream.Get(), FALSE)))
        return E_OUTOFMEMORY;
    // Save may have grown the block past what GetSizeMax said.
    ::GetHGlobalFromStream(state.stream.Get(), &state.block);
    if (::GlobalSize(state.block) > kMaxEffectState)
        return E_OUTOFMEMORY;
    return SavePreset(name, state.id, state.block);
}

HRESULT LoadEffectState(IUnknown* filter, const char* name)
{
    FilterState state;
    HRESULT hr = OpenFilterState(filter, &state);
    if (FAILED(hr))
        return hr;
    // A preset that is not there leaves the filter's settings alone.
    hr = LoadPreset(name, state.id, state.block);
    if (hr != S_OK)
        return FAILED(hr) ? hr : S_FALSE;
    if (FAILED(state.persist->Load(state.stream.Get())))
        return E_OUTOFMEMORY;
    return S_OK;
}

std::vector<std::string> ListPresetNames(IUnknown* filter)
{
    std::vector<std::string> names;
    CLSID id;
    if (!ClassOf(filter, &id))
        return names;
    PresetKey key;
    if (key.Open(id) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[512] = {};
        DWORD length = sizeof name;
        if (::RegEnumValueA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (std::strcmp(name, kLastSettingsName) != 0)
            names.push_back(name);
    }
    return names;
}

HRESULT DeletePresetValue(IUnknown* filter, const char* name)
{
    CLSID id;
    if (!ClassOf(filter, &id))
        return E_FAIL;
    PresetKey key;
    LONG status = key.Open(id);
    if (status == ERROR_SUCCESS)
        status = ::RegDeleteValueA(key.Get(), name);
    return FromRegistry(status);
}
