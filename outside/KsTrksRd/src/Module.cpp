// KsTrksRd.dll: the class object of the tracks reader filter.
#include "TracksReader.h"

namespace {

const kvcom::ClassEntry kClasses[] = {{&CLSID_KsTrksRd, kvcom::CreateInstanceOf<TracksReader>}};

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return kvcom::GetClassObject(kClasses, 1, clsid, iid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return kvcom::CanUnloadNow();
}
