// KsDShowSrc.dll: the class object of the engine source filter.
#include "KsDShowSource.h"

namespace {

const kvcom::ClassEntry kClasses[] = {{&CLSID_KsDShowSrc, kvcom::CreateInstanceOf<KsDShowSource>}};

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return kvcom::GetClassObject(kClasses, 1, clsid, iid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return kvcom::CanUnloadNow();
}
