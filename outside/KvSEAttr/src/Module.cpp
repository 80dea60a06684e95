// KvSEAttr.dll: class objects of the attribute filter and its property page.
#include "AttributeFilter.h"
#include "AttributePage.h"

namespace {

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEAttr, kvcom::CreateInstanceOf<AttributeFilter>},
    {&CLSID_KvSEAttrPage, kvcom::CreateInstanceOf<AttributePage>},
};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        AttributePage::ModuleInstance() = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return kvcom::GetClassObject(kClasses, sizeof(kClasses) / sizeof(kClasses[0]), clsid, iid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return kvcom::CanUnloadNow();
}
