// The library's exports, its key object, its registry of components and their parameters.
#include "Library.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

std::mutex g_lock;
bool g_started = false;
StreamLibraryStartInfo g_start{};

class Key : public TaggedObject<IStrmKey, MakeTag("KSREGKEY")> {
public:
    explicit Key(const char* path) : m_path(path) {}
    HRESULT STDMETHODCALLTYPE GetPath(char* buffer, DWORD capacity) override
    {
        if (!buffer || capacity == 0)
            return E_POINTER;
        lstrcpynA(buffer, m_path.c_str(), static_cast<int>(capacity));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDefaultText(const char* text, DWORD flags) override
    {
        char stored[4] = {};
        DWORD bytes = sizeof stored;
        const bool present = ::RegGetValueA(HKEY_CURRENT_USER, m_path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, stored,
                                            &bytes) == ERROR_SUCCESS ||
                             bytes > sizeof stored;
        return flags == 1 || !present ? Write(nullptr, text) : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Flush() override
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
            return S_FALSE;
        ::RegFlushKey(key);
        ::RegCloseKey(key);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetText(const char* name, const char* text) override
    {
        if (!name)
            return E_POINTER;
        char current[MAX_PATH];
        if (GetText(name, nullptr, current, sizeof current) == S_OK && (!text || !*text))
            return S_OK; // an empty text only makes a missing value
        return Write(name, text);
    }
    HRESULT STDMETHODCALLTYPE GetText(const char* name, const char* defaultText, char* buffer, DWORD capacity) override
    {
        if (!buffer || capacity == 0)
            return E_POINTER;
        DWORD bytes = capacity;
        if (::RegGetValueA(HKEY_CURRENT_USER, m_path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) ==
            ERROR_SUCCESS)
            return S_OK;
        lstrcpynA(buffer, defaultText ? defaultText : "", static_cast<int>(capacity));
        return S_FALSE;
    }

private:
    HRESULT Write(const char* name, const char* text)
    {
        const char* value = text ? text : "";
        LONG rc = ::RegSetKeyValueA(HKEY_CURRENT_USER, m_path.c_str(), name, REG_SZ, value,
                                    static_cast<DWORD>(lstrlenA(value) + 1));
        return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(rc);
    }
    std::string m_path;
};

class DefaultParams : public TaggedObject<IStrmDefaultParams, kTagDefaultParams> {
public:
    HRESULT STDMETHODCALLTYPE GetValue(const char* name, DWORD* type, void* value, DWORD* bytes) override
    {
        if (!name || !bytes)
            return E_POINTER;
        std::lock_guard<std::mutex> hold(m_lock);
        auto found = m_values.find(name);
        if (found == m_values.end())
            return S_FALSE;
        const DWORD size = static_cast<DWORD>(found->second.bytes.size());
        if (type)
            *type = found->second.type;
        if (!value || *bytes < size) {
            *bytes = size;
            return value ? HRESULT_FROM_WIN32(ERROR_MORE_DATA) : S_OK;
        }
        memcpy(value, found->second.bytes.data(), size);
        *bytes = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetValue(const char* name, DWORD type, const void* value, DWORD bytes) override
    {
        if (!name || (!value && bytes))
            return E_POINTER;
        std::lock_guard<std::mutex> hold(m_lock);
        const auto* begin = static_cast<const uint8_t*>(value);
        m_values[name] = {type, std::vector<uint8_t>(begin, begin + bytes)};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override
    {
        if (!count)
            return E_POINTER;
        std::lock_guard<std::mutex> hold(m_lock);
        *count = static_cast<DWORD>(m_values.size());
        return S_OK;
    }
    // Values take effect as they are set: a change only groups them for the caller.
    HRESULT STDMETHODCALLTYPE BeginChange() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndChange() override { return S_OK; }

private:
    struct Value {
        DWORD type;
        std::vector<uint8_t> bytes;
    };
    std::mutex m_lock;
    std::map<std::string, Value> m_values;
};

std::map<InterfaceTag, DefaultParams*>& ParamsTable()
{
    static std::map<InterfaceTag, DefaultParams*> table;
    return table;
}

const StrmRegistration kRegistrations[] = {
    {TagLow(kTagAiffReader), TagHigh(kTagAiffReader), CreateAiffReader, "AIFF reader"},
    {TagLow(kTagAiffWriter), TagHigh(kTagAiffWriter), CreateAiffWriter, "AIFF writer"},
    {TagLow(kTagWavReader), TagHigh(kTagWavReader), CreateWavReader, "WAV reader"},
    {TagLow(kTagWavWriter), TagHigh(kTagWavWriter), CreateWavWriter, "WAV writer"},
    {TagLow(kTagConverter), TagHigh(kTagConverter), CreateConverter, "Converter"},
};

constexpr InterfaceTag kReaderTags[] = {kTagWavReader, kTagAiffReader};

// One registry for the module's life: its count never lets it go.
class Registry : public IStrmRegistry {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(InterfaceTag tag, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (tag != GetTag())
            return E_NOINTERFACE;
        *object = static_cast<IStrmRegistry*>(this);
        return S_OK;
    }
    InterfaceTag STDMETHODCALLTYPE GetTag() override { return MakeTag("KSREGSTR"); }
    const StrmRegistration* STDMETHODCALLTYPE Find(DWORD tagLow, DWORD tagHigh) override
    {
        for (const StrmRegistration& entry : kRegistrations)
            if (entry.tagLow == tagLow && entry.tagHigh == tagHigh)
                return &entry;
        return nullptr;
    }
    const StrmRegistration* STDMETHODCALLTYPE At(DWORD index) override
    {
        return index < sizeof kRegistrations / sizeof kRegistrations[0] ? &kRegistrations[index] : nullptr;
    }
};

Registry g_registry;

} // namespace

IStrmDefaultParams* DefaultParamsOf(InterfaceTag tag)
{
    std::lock_guard<std::mutex> hold(g_lock);
    DefaultParams*& params = ParamsTable()[tag];
    if (!params)
        params = new DefaultParams; // its first reference is the table's
    return params;
}

bool ReadBinaryParam(InterfaceTag tag, const char* name, std::vector<uint8_t>* value)
{
    IStrmDefaultParams* params = DefaultParamsOf(tag);
    DWORD bytes = 0, type = 0;
    if (params->GetValue(name, &type, nullptr, &bytes) != S_OK || type != kStrmParamBinary)
        return false;
    value->resize(bytes);
    return params->GetValue(name, &type, value->data(), &bytes) == S_OK;
}

ComRef<IStrmComponent> CreateComponent(InterfaceTag tag)
{
    const StrmRegistration* entry = g_registry.Find(TagLow(tag), TagHigh(tag));
    ComRef<ITaggedObject> object;
    ComRef<IStrmComponent> component;
    if (!entry || FAILED(entry->create(TagLow(tag), TagHigh(tag), object.Out())) || !object)
        return component;
    object->QueryInterface(tag, component.OutVoid());
    return component;
}

const InterfaceTag* ReaderTags(size_t* count)
{
    *count = sizeof kReaderTags / sizeof kReaderTags[0];
    return kReaderTags;
}

extern "C" {

HRESULT WINAPI StrmOpenKey(const char* path, IStrmKey** key)
{
    if (!key)
        return E_POINTER;
    *key = nullptr;
    if (!path || !*path)
        return E_INVALIDARG;
    HKEY created = nullptr;
    LONG rc = ::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                nullptr, &created, nullptr);
    if (rc != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(rc);
    ::RegCloseKey(created);
    *key = new (std::nothrow) Key(path);
    return *key ? S_OK : E_OUTOFMEMORY;
}

HRESULT WINAPI StrmInitialize(HINSTANCE, IStrmKey*, DWORD, DWORD, const StreamLibraryStartInfo* start)
{
    if (!start || start->size != sizeof(StreamLibraryStartInfo))
        return E_INVALIDARG;
    std::lock_guard<std::mutex> hold(g_lock);
    g_start = *start;
    g_started = true;
    return S_OK;
}

HRESULT WINAPI StrmUninitialize()
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_started)
        return S_FALSE;
    g_started = false;
    return S_OK;
}

IStrmRegistry* WINAPI StrmGetRegistry()
{
    return &g_registry;
}

} // extern "C"
