#include <gtest/gtest.h>

#include "../coremodule/CoreTestModule.h"
#include "ModuleObjects.h"
#include "RefCounted.h"
#include "TestSupport.h"

KV_DECLARE_IID(IExtraA, 0x1f6d2e30, 0x0c11, 0x4c55, 0x8e, 0x01, 0x3a, 0x4b, 0x5c, 0x6d, 0x7e, 0x01)
struct IExtraA : IUnknown {
    virtual int STDMETHODCALLTYPE A() = 0;
};
KV_DECLARE_IID(IExtraB, 0x1f6d2e30, 0x0c11, 0x4c55, 0x8e, 0x01, 0x3a, 0x4b, 0x5c, 0x6d, 0x7e, 0x02)
struct IExtraB : IUnknown {
    virtual int STDMETHODCALLTYPE B() = 0;
};

namespace {

int g_destroyed = 0;

class CCounted : public RefCounted {
public:
    ~CCounted() override { ++g_destroyed; }
};

class CWithA : public ComExtend<RefCounted, IExtraA> {
public:
    int STDMETHODCALLTYPE A() override { return 1; }
};
// A second level adds to what the first answers.
class CWithAB : public ComExtend<CWithA, IExtraB> {
public:
    ~CWithAB() override { ++g_destroyed; }
    int STDMETHODCALLTYPE B() override { return 2; }
};

HMODULE LoadedTestModule()
{
    return GetModuleHandleA(kCoreTestModuleFile);
}

void HoldTestModule(HMODULE module, BOOL hold)
{
    auto holdFunction = reinterpret_cast<HoldCoreTestModuleFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "HoldCoreTestModule")));
    ASSERT_NE(holdFunction, nullptr);
    holdFunction(hold);
}

// Every test starts and ends with the test module unloaded and unlisted.
class ModuleObjectsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UnloadModules();
        ASSERT_EQ(LoadedTestModule(), nullptr);
        m_listed = GetLoadedModuleList().Count();
    }
    void TearDown() override
    {
        UnloadModules();
        EXPECT_EQ(LoadedTestModule(), nullptr);
        EXPECT_EQ(GetLoadedModuleList().Count(), m_listed);
    }
    size_t m_listed = 0;
};

} // namespace

TEST(RefCounted, AnswersIUnknownOnlyAndDeletesOnceAtZero)
{
    g_destroyed = 0;
    CCounted* object = new CCounted;
    IUnknown* unknown = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(object));
    EXPECT_EQ(object->AddRef(), 2u) << "the first query gave the count 1";
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(unknown->Release(), 0u);
    EXPECT_EQ(g_destroyed, 1);
}

TEST(RefCounted, ExtendedClassesShareOneCountAndOneIdentity)
{
    g_destroyed = 0;
    CWithAB* object = RefCounted::Create<CWithAB>();
    IExtraA* a = nullptr;
    IExtraB* b = nullptr;
    ASSERT_EQ(object->QueryInterface(__uuidof(IExtraA), reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(a->QueryInterface(__uuidof(IExtraB), reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_EQ(a->A() + b->B(), 3);
    IUnknown* fromA = nullptr;
    IUnknown* fromB = nullptr;
    a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromA));
    b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromB));
    EXPECT_EQ(fromA, fromB);
    EXPECT_EQ(b->AddRef(), 6u);
    for (IUnknown* p : {static_cast<IUnknown*>(a), static_cast<IUnknown*>(b), static_cast<IUnknown*>(b), fromA, fromB})
        p->Release();
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(static_cast<IExtraA*>(object)->Release(), 0u);
    EXPECT_EQ(g_destroyed, 1);
}

TEST_F(ModuleObjectsTest, CreatesAnObjectOfAModuleBesideTheProgram)
{
    ICoreTestObject* object = nullptr;
    HMODULE module = nullptr;
    ASSERT_EQ(CreateModuleObject(kCoreTestModuleFile, kClsidCoreTestObject, __uuidof(ICoreTestObject),
                                 reinterpret_cast<void**>(&object), &module),
              S_OK);
    EXPECT_EQ(object->Answer(), 42);
    EXPECT_EQ(module, LoadedTestModule());
    EXPECT_EQ(GetLoadedModuleList().CountOf(module), 1u);

    UnloadModules();
    EXPECT_EQ(LoadedTestModule(), module) << "a live object keeps its module";
    object->Release();
    UnloadModules();
    EXPECT_EQ(LoadedTestModule(), nullptr);
    EXPECT_EQ(GetLoadedModuleList().CountOf(module), 0u);
}

TEST_F(ModuleObjectsTest, FailuresReturnTheirCodesAndListOnlyReachedModules)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateModuleObject("NoSuchModule.dll", kClsidCoreTestObject, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(GetLoadedModuleList().Count(), m_listed);

    HMODULE module = reinterpret_cast<HMODULE>(1);
    EXPECT_EQ(CreateModuleObject(kCoreTestModuleFile, kClsidCoreTestMissing, IID_IUnknown, &object, &module),
              E_NOINTERFACE);
    EXPECT_EQ(LoadedTestModule(), nullptr) << "freed again";
    EXPECT_EQ(GetLoadedModuleList().Count(), m_listed);

    EXPECT_EQ(CreateModuleObject(kCoreTestModuleFile, kClsidCoreTestRefused, IID_IUnknown, &object, &module),
              E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    EXPECT_NE(LoadedTestModule(), nullptr) << "a refused creation keeps the module listed";
    EXPECT_EQ(GetLoadedModuleList().CountOf(module), 1u);
    EXPECT_EQ(CreateModuleObject("NoSuchModule.dll", kClsidCoreTestObject, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(LoadedTestModule(), nullptr) << "the next creation swept it";
}

TEST_F(ModuleObjectsTest, ModuleLoadedTwiceIsListedTwiceAndFreedOncePerYes)
{
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    HMODULE module = nullptr;
    ASSERT_EQ(CreateModuleObject(kCoreTestModuleFile, kClsidCoreTestObject, IID_IUnknown,
                                 reinterpret_cast<void**>(&first), &module),
              S_OK);
    ASSERT_EQ(
        CreateModuleObject(kCoreTestModuleFile, kClsidCoreTestObject, IID_IUnknown, reinterpret_cast<void**>(&second)),
        S_OK);
    EXPECT_EQ(GetLoadedModuleList().CountOf(module), 2u);
    first->Release();
    second->Release();
    HoldTestModule(module, TRUE);
    UnloadModules();
    EXPECT_EQ(GetLoadedModuleList().CountOf(module), 2u) << "a module that says no stays listed";
    HoldTestModule(module, FALSE);
    UnloadModules();
    EXPECT_EQ(GetLoadedModuleList().CountOf(module), 0u);
    EXPECT_EQ(LoadedTestModule(), nullptr);
}

TEST_F(ModuleObjectsTest, ModuleNamesAreTakenFromTheProgramsFolderOnly)
{
    // From another current directory the module beside the program is still found...
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    kvtest::ScratchFolder scratch;
    SetCurrentDirectoryA(scratch.Path().c_str());
    IUnknown* object = nullptr;
    EXPECT_EQ(
        CreateModuleObject(kCoreTestModuleFile, kClsidCoreTestObject, IID_IUnknown, reinterpret_cast<void**>(&object)),
        S_OK);
    if (object)
        object->Release();
    // ...and a system module is not taken from the search path.
    void* none = nullptr;
    EXPECT_EQ(CreateModuleObject("ole32.dll", kClsidCoreTestObject, IID_IUnknown, &none), REGDB_E_CLASSNOTREG);
    SetCurrentDirectoryA(previous);
}

TEST_F(ModuleObjectsTest, ObjectFromACallersModuleLeavesTheModuleToTheCaller)
{
    std::string path = kvtest::BinFolder() + kCoreTestModuleFile;
    HMODULE module = LoadLibraryA(path.c_str());
    ASSERT_NE(module, nullptr);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateObjectFromModule(module, kClsidCoreTestMissing, IID_IUnknown, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(GetModuleHandleA(kCoreTestModuleFile), module) << "the caller's handle was not freed";
    ICoreTestObject* created = nullptr;
    ASSERT_EQ(CreateObjectFromModule(module, kClsidCoreTestObject, __uuidof(ICoreTestObject),
                                     reinterpret_cast<void**>(&created)),
              S_OK);
    EXPECT_EQ(created->Answer(), 42);
    created->Release();
    EXPECT_EQ(GetLoadedModuleList().CountOf(module), 0u) << "not listed";
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA(kCoreTestModuleFile), nullptr) << "exactly one load to free";
}
