// The equaliser module loaded by file name, as the program loads it (no registration),
// with COM started on the test thread.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <strmif.h>

#include "ComRef.h"
#include "IGraphicEq.h"
#include "TestSupport.h"

#include <cstdint>
#include <vector>

class EqModule : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_module = LoadLibraryA((kvtest::BinFolder() + "KvSEGEQ1.dll").c_str());
        ASSERT_NE(m_module, nullptr);
        m_getClassObject =
            reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
        ASSERT_NE(m_getClassObject, nullptr);
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
        CoUninitialize();
    }

    // A new object of the module's class, asked for interface I (with one reference), or nullptr.
    template <class I>
    I* Create(const CLSID& clsid)
    {
        IClassFactory* factory = nullptr;
        if (FAILED(m_getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
            return nullptr;
        I* object = nullptr;
        factory->CreateInstance(nullptr, __uuidof(I), reinterpret_cast<void**>(&object));
        factory->Release();
        return object;
    }
    IBaseFilter* CreateFilter() { return Create<IBaseFilter>(kClsidGraphicEqFilter); }

    template <class I>
    static I* Query(IUnknown* object)
    {
        I* p = nullptr;
        object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&p));
        return p;
    }

    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    HMODULE m_module = nullptr;
    GetClassObjectFn m_getClassObject = nullptr;
};
