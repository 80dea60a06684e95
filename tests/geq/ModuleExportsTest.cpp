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
    FreeLibrary(mod);
}
