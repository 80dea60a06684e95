// A module that serves one class and refuses another, for the module object tests.
#include "CoreTestModule.h"

#include <atomic>

namespace {

std::atomic<bool> g_held{false};

class CCoreTestObject : public ComObject<ICoreTestObject> {
public:
    int STDMETHODCALLTYPE Answer() override { return 42; }
};

HRESULT RefuseCreation(IUnknown*, REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return E_OUTOFMEMORY;
}

const kvcom::ClassEntry kClasses[] = {
    {&kClsidCoreTestObject, &kvcom::CreateInstanceOf<CCoreTestObject>},
    {&kClsidCoreTestRefused, &RefuseCreation},
};

} // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return kvcom::GetClassObject(kClasses, sizeof(kClasses) / sizeof(kClasses[0]), clsid, iid, ppv);
}

extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    return g_held ? S_FALSE : kvcom::CanUnloadNow();
}

extern "C" void WINAPI HoldCoreTestModule(BOOL hold)
{
    g_held = hold != FALSE;
}
