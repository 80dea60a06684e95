#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>

#include "TestSupport.h"

TEST(EqualiserModule, ExportsExactlyTheTwoComEntryPoints)
{
    HMODULE mod = LoadLibraryA((kvtest::BinFolder() + "KvSEGEQ1.dll").c_str());
    ASSERT_NE(mod, nullptr);
    auto names = kvtest::ExportedNames(mod);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject"}));

    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    auto getClassObject = reinterpret_cast<GetClassObjectFn>((void*)GetProcAddress(mod, "DllGetClassObject"));
    auto canUnload = reinterpret_cast<CanUnloadFn>((void*)GetProcAddress(mod, "DllCanUnloadNow"));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnload, nullptr);

    void* factory = reinterpret_cast<void*>(1);
    const CLSID unknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(getClassObject(unknownClass, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(canUnload(), S_OK);

    // The filter and both pages are served; a live object or a lock keeps the module loaded.
    const CLSID classes[] = {
        {0xC0EDEEC3, 0x43AE, 0x49F9, {0xB3, 0xD8, 0xB9, 0x5A, 0xB9, 0xDB, 0x47, 0x20}},
        {0x083CF591, 0x6D01, 0x4DF8, {0xAE, 0x02, 0x91, 0xA5, 0x0B, 0x21, 0xE5, 0x48}},
        {0x6D0F8C6C, 0x8A15, 0x435A, {0x83, 0x58, 0x34, 0xB5, 0x07, 0x24, 0xAA, 0x99}},
    };
    for (const CLSID& clsid : classes) {
        IClassFactory* cf = nullptr;
        ASSERT_EQ(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&cf)), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
        IUnknown* object = nullptr;
        ASSERT_EQ(cf->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
        void* aggregated = reinterpret_cast<void*>(1);
        EXPECT_EQ(cf->CreateInstance(object, IID_IUnknown, &aggregated), CLASS_E_NOAGGREGATION);
        cf->LockServer(TRUE);
        cf->Release();
        object->Release();
        EXPECT_EQ(canUnload(), S_FALSE);
        IClassFactory* again = nullptr;
        getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&again));
        again->LockServer(FALSE);
        again->Release();
        EXPECT_EQ(canUnload(), S_OK);
    }
    FreeLibrary(mod);
}
