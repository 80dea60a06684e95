// Module entry of the equaliser: the class factory is reached only through these exports.
#include <windows.h>
#include <objbase.h>

STDAPI DllGetClassObject(REFCLSID, REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    return S_OK;
}
