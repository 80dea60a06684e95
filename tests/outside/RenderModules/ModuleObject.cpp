#include "ModuleObject.h"

#include "TestSupport.h"

namespace kvtest {

ModuleObjects::ModuleObjects(const char* fileName)
{
    m_module = LoadLibraryA((BinFolder() + fileName).c_str());
}

ModuleObjects::~ModuleObjects()
{
    // Objects may outlive a test's scope through the graph; leave the module loaded.
}

HRESULT ModuleObjects::Create(REFCLSID clsid, REFIID iid, void** ppv) const
{
    *ppv = nullptr;
    if (!m_module)
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
    if (!get)
        return E_NOINTERFACE;
    IClassFactory* factory = nullptr;
    HRESULT hr = get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(nullptr, iid, ppv);
    factory->Release();
    return hr;
}

HRESULT ModuleObjects::CanUnloadNow() const
{
    using CanUnloadFn = HRESULT(WINAPI*)();
    auto can = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(m_module, "DllCanUnloadNow")));
    return can ? can() : E_FAIL;
}

} // namespace kvtest
