// Creates COM objects from a module of the bin folder through its DllGetClassObject.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <string>

namespace kvtest {

class ModuleObjects {
public:
    explicit ModuleObjects(const char* fileName);
    ~ModuleObjects();
    ModuleObjects(const ModuleObjects&) = delete;
    ModuleObjects& operator=(const ModuleObjects&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    HRESULT Create(REFCLSID clsid, REFIID iid, void** ppv) const;
    template <class I>
    I* Create(REFCLSID clsid) const
    {
        I* p = nullptr;
        Create(clsid, __uuidof(I), reinterpret_cast<void**>(&p));
        return p;
    }
    HRESULT CanUnloadNow() const;

private:
    HMODULE m_module = nullptr;
};

} // namespace kvtest
