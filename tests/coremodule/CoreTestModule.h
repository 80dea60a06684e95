// The class ids and the interface served by CoreTestModule.dll, a module built only for the
// tests of module objects.
#pragma once
#include "ComObject.h"

KV_DECLARE_IID(ICoreTestObject, 0x5d0c31a2, 0x7e41, 0x4b6f, 0x9a, 0x10, 0x2c, 0x3e, 0x55, 0x6a, 0x71, 0x01)
struct ICoreTestObject : IUnknown {
    virtual int STDMETHODCALLTYPE Answer() = 0;
};

// Served: creates an ICoreTestObject.
constexpr CLSID kClsidCoreTestObject = {0x5d0c31a2, 0x7e41, 0x4b6f, {0x9a, 0x10, 0x2c, 0x3e, 0x55, 0x6a, 0x71, 0x02}};
// Served, but its factory refuses every creation (E_OUTOFMEMORY).
constexpr CLSID kClsidCoreTestRefused = {0x5d0c31a2, 0x7e41, 0x4b6f, {0x9a, 0x10, 0x2c, 0x3e, 0x55, 0x6a, 0x71, 0x03}};
// Not served.
constexpr CLSID kClsidCoreTestMissing = {0x5d0c31a2, 0x7e41, 0x4b6f, {0x9a, 0x10, 0x2c, 0x3e, 0x55, 0x6a, 0x71, 0x04}};

constexpr const char* kCoreTestModuleFile = "CoreTestModule.dll";

// Exports besides DllGetClassObject and DllCanUnloadNow: while held, DllCanUnloadNow says
// S_FALSE whatever lives.
using HoldCoreTestModuleFunction = void(WINAPI*)(BOOL hold);
