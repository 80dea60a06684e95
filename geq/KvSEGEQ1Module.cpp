// Module entry of the equaliser: the class factory is reached only through these exports.
#include "EqPropertyPage.h"
#include "GraphicEqFilter.h"

namespace {

// The module's factory templates, in order.
const kvcom::ClassEntry kClasses[] = {
    {&kClsidGraphicEqFilter, kvcom::CreateInstanceOf<GraphicEqFilter>},    // "10 band グラフィックEQ"
    {&kClsidEqPropertyPage, kvcom::CreateInstanceOf<geq::EqPropertyPage>}, // "10 band グラフィックEQ Property Page"
    {&kClsidFirEqPropertyPage,
     kvcom::CreateInstanceOf<geq::FirEqPropertyPage>}, // "10 band グラフィックEQ Property Page 2"
};

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return kvcom::GetClassObject(kClasses, sizeof kClasses / sizeof kClasses[0], clsid, iid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return kvcom::CanUnloadNow();
}
