#include <gtest/gtest.h>

#include "ComObject.h"

KV_DECLARE_IID(ITestA, 0x6f1a2b3c, 0x0001, 0x4a5b, 0x9c, 0x8d, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
struct ITestA : IUnknown {
    virtual int STDMETHODCALLTYPE A() = 0;
};
KV_DECLARE_IID(ITestB, 0x6f1a2b3c, 0x0002, 0x4a5b, 0x9c, 0x8d, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66)
struct ITestB : IUnknown {
    virtual int STDMETHODCALLTYPE B() = 0;
};

namespace {
class CBoth : public ComObject<ITestA, ITestB> {
public:
    explicit CBoth(int* deleted) : m_deleted(deleted) {}
    ~CBoth() override { ++*m_deleted; }
    int STDMETHODCALLTYPE A() override { return 1; }
    int STDMETHODCALLTYPE B() override { return 2; }

private:
    int* m_deleted;
};

const CLSID kClsidBoth = {0x6f1a2b3c, 3, 0x4a5b, {0x9c, 0x8d, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}};
} // namespace

TEST(ComObject, AnswersEachListedInterfaceAndDeletesAtZero)
{
    int deleted = 0;
    long before = kvcom::ModuleRefs();
    CBoth* obj = CBoth::Create<CBoth>(&deleted);
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(kvcom::CanUnloadNow(), S_FALSE);

    ITestB* b = nullptr;
    ASSERT_EQ(obj->QueryInterface(__uuidof(ITestB), reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_EQ(b->B(), 2);
    IUnknown* u1 = nullptr;
    IUnknown* u2 = nullptr;
    b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u1));
    obj->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u2));
    EXPECT_EQ(u1, u2) << "one identity for IUnknown";
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(obj->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    u1->Release();
    u2->Release();
    b->Release();
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(obj->Release(), 0u);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(kvcom::ModuleRefs(), before);
}

namespace {
int g_deleted = 0;
class CPlain : public ComObject<ITestA> {
public:
    ~CPlain() override { ++g_deleted; }
    int STDMETHODCALLTYPE A() override { return 7; }
};
const kvcom::ClassEntry kTable[] = {{&kClsidBoth, &kvcom::CreateInstanceOf<CPlain>}};
} // namespace

TEST(ComObject, ClassTableServesItsClassAndRefusesOthers)
{
    IClassFactory* factory = nullptr;
    ASSERT_EQ(kvcom::GetClassObject(kTable, 1, kClsidBoth, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ITestA* a = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(ITestA), reinterpret_cast<void**>(&a)), S_OK);
    EXPECT_EQ(a->A(), 7);
    a->Release();
    EXPECT_EQ(g_deleted, 1);
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory);
    void* p = nullptr;
    EXPECT_EQ(factory->CreateInstance(outer, __uuidof(ITestA), &p), CLASS_E_NOAGGREGATION);
    factory->Release();
    EXPECT_EQ(kvcom::CanUnloadNow(), S_OK);

    void* f = reinterpret_cast<void*>(1);
    EXPECT_EQ(kvcom::GetClassObject(kTable, 1, IID_IUnknown, IID_IClassFactory, &f), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(f, nullptr);
}
