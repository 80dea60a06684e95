// KvSKsFIO.dll: the class object of the file module.
#include "FileIO.h"

namespace {

const kvcom::ClassEntry kClasses[] = {{&CLSID_KvSKsFIO, kvcom::CreateInstanceOf<FileIO>}};

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return kvcom::GetClassObject(kClasses, 1, clsid, iid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return kvcom::CanUnloadNow();
}
