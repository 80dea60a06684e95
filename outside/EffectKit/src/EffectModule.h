// The exports of a kit module: its class table served by DllGetClassObject.
//
//   const kvcom::ClassEntry kClasses[] = {{&kClsidFilter, kvcom::CreateInstanceOf<InfoFilter<&kInfo>>},
//                                         {&kClsidPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>}};
//   KV_EFFECT_MODULE_EXPORTS(kClasses)
#pragma once
#include "ComObject.h"

#define KV_EFFECT_MODULE_EXPORTS(table)                                                         \
    STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)                            \
    {                                                                                           \
        return kvcom::GetClassObject(table, sizeof(table) / sizeof(table[0]), clsid, iid, ppv); \
    }                                                                                           \
    STDAPI DllCanUnloadNow()                                                                    \
    {                                                                                           \
        return kvcom::CanUnloadNow();                                                           \
    }
