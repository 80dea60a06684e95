// KsTrksWt.dll: the class object of the tracks writer filter.
#include "TracksWriter.h"

namespace {

const kvcom::ClassEntry kClasses[] = {{&CLSID_KsTrksWt, kvcom::CreateInstanceOf<TracksWriter>}};

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return kvcom::GetClassObject(kClasses, 1, clsid, iid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return kvcom::CanUnloadNow();
}
