#include "ModuleObjects.h"

#include <objbase.h>

#include <cstring>

namespace {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

// Asks the module's class factory for an object; E_NOINTERFACE, with reached false, when the
// module has no factory for the class.
HRESULT CreateFromFactory(HMODULE module, REFCLSID clsid, REFIID iid, void** object, bool* reached)
{
    auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    *reached = getClassObject &&
               SUCCEEDED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))) && factory;
    if (!*reached)
        return E_NOINTERFACE;
    HRESULT hr = factory->CreateInstance(nullptr, iid, object);
    factory->Release();
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

} // namespace

void LoadedModuleList::Add(HMODULE module)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_modules.push_back(module);
}

void LoadedModuleList::Sweep()
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (size_t i = m_modules.size(); i-- > 0;) {
        HMODULE module = m_modules[i];
        auto canUnloadNow = reinterpret_cast<CanUnloadNowFunction>(
            reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
        if (!canUnloadNow || canUnloadNow() != S_OK)
            continue;
        ::CoFreeLibrary(module);
        m_modules.erase(m_modules.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

size_t LoadedModuleList::Count() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_modules.size();
}

size_t LoadedModuleList::CountOf(HMODULE module) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    size_t count = 0;
    for (HMODULE listed : m_modules)
        count += listed == module ? 1 : 0;
    return count;
}

LoadedModuleList& GetLoadedModuleList()
{
    static LoadedModuleList list;
    return list;
}

void UnloadModules()
{
    GetLoadedModuleList().Sweep();
}

void KeepModuleLoaded(HMODULE module)
{
    HMODULE pinned = nullptr;
    if (module)
        ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                             reinterpret_cast<LPCSTR>(module), &pinned);
}

HRESULT CreateModuleObject(const char* moduleFile, REFCLSID clsid, REFIID iid, void** object, HMODULE* module)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!moduleFile)
        return REGDB_E_CLASSNOTREG;
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return REGDB_E_CLASSNOTREG;
    char* slash = std::strrchr(path, '\\');
    size_t folderLength = slash ? static_cast<size_t>(slash - path) + 1 : 0;
    if (folderLength + std::strlen(moduleFile) >= MAX_PATH)
        return REGDB_E_CLASSNOTREG;
    std::strcpy(path + folderLength, moduleFile);
    return CreateModuleObjectFromPath(path, clsid, iid, object, module);
}

HRESULT CreateModuleObjectFromPath(const char* path, REFCLSID clsid, REFIID iid, void** object, HMODULE* module)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    UnloadModules();
    wchar_t widePath[MAX_PATH];
    if (!path || ::MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0)
        return REGDB_E_CLASSNOTREG;
    HMODULE loaded = ::CoLoadLibrary(widePath, TRUE);
    if (!loaded)
        return REGDB_E_CLASSNOTREG;
    bool reached = false;
    HRESULT hr = CreateFromFactory(loaded, clsid, iid, object, &reached);
    if (!reached) {
        ::CoFreeLibrary(loaded);
        return E_NOINTERFACE;
    }
    // Listed even when CreateInstance failed; a later sweep frees it.
    GetLoadedModuleList().Add(loaded);
    if (module)
        *module = loaded;
    return hr;
}

HRESULT CreateObjectFromModule(HMODULE module, REFCLSID clsid, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!module)
        return ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, iid, object);
    UnloadModules();
    // The caller keeps its module whatever happens here.
    bool reached = false;
    return CreateFromFactory(module, clsid, iid, object, &reached);
}
