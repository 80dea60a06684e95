// Interface maps: COM interfaces embedded in a command target share its identity and count.
#include "Framework.h"
#include <gtest/gtest.h>
#include <objidl.h>
#include <ocidl.h>

namespace {

const IID kIUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0, 0, 0, 0, 0, 0x46}};
const IID kIPersistId = {0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0, 0, 0, 0, 0, 0x46}};
const IID kIOleWindowId = {0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0, 0, 0, 0, 0, 0x46}};

class CHost : public CCmdTarget {
public:
    struct CPersist : IPersist {
        CHost* owner = nullptr;
        CHost* Owner() { return owner; }
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
        {
            return Owner()->ExternalQueryInterface(&iid, out);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return Owner()->ExternalAddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return Owner()->ExternalRelease(); }
        HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override
        {
            *id = kIPersistId;
            return S_OK;
        }
    } m_persist;
    CHost() { m_persist.owner = this; }
    LONG Count() const { return m_dwRef; }
    DECLARE_INTERFACE_MAP()
};

BEGIN_INTERFACE_MAP(CHost, CCmdTarget)
    INTERFACE_PART(CHost, kIPersistId, m_persist)
END_INTERFACE_MAP()

// Adds a second interface; the base's entry still answers.
class CWindowHost : public CHost {
public:
    struct CWindow : IOleWindow {
        CWindowHost* owner = nullptr;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
        {
            return owner->ExternalQueryInterface(&iid, out);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return owner->ExternalAddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return owner->ExternalRelease(); }
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override
        {
            *hwnd = nullptr;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    } m_window;
    CWindowHost() { m_window.owner = this; }
    DECLARE_INTERFACE_MAP()
};

BEGIN_INTERFACE_MAP(CWindowHost, CHost)
    INTERFACE_PART(CWindowHost, kIOleWindowId, m_window)
END_INTERFACE_MAP()

} // namespace

TEST(FrameworkInterfaceMap, EmbeddedInterfacesShareTheTargetsIdentityAndCount)
{
    CWindowHost host;
    EXPECT_EQ(host.Count(), 1);

    // From either interface, every other one and one IUnknown are reached.
    IUnknown* fromPersist = nullptr;
    IUnknown* fromWindow = nullptr;
    ASSERT_EQ(host.m_persist.QueryInterface(kIUnknownId, reinterpret_cast<void**>(&fromPersist)), S_OK);
    ASSERT_EQ(host.m_window.QueryInterface(kIUnknownId, reinterpret_cast<void**>(&fromWindow)), S_OK);
    EXPECT_EQ(fromPersist, fromWindow);
    EXPECT_EQ(fromPersist, static_cast<IUnknown*>(&host.m_window)); // the most derived map comes first
    void* persist = nullptr;
    ASSERT_EQ(host.m_window.QueryInterface(kIPersistId, &persist), S_OK);
    EXPECT_EQ(persist, static_cast<IPersist*>(&host.m_persist));
    EXPECT_EQ(host.Count(), 4);

    void* none = &host;
    EXPECT_EQ(host.m_persist.QueryInterface(IID_IPropertyPageSite, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(host.ExternalQueryInterface(&kIPersistId, nullptr), E_POINTER);
    EXPECT_EQ(host.Count(), 4);

    // Releases only count: the owner still decides the object's lifetime.
    EXPECT_EQ(fromPersist->Release(), 3u);
    EXPECT_EQ(fromWindow->Release(), 2u);
    EXPECT_EQ(static_cast<IPersist*>(persist)->Release(), 1u);
    EXPECT_EQ(host.m_persist.Release(), 0u);
    CLSID id = {};
    EXPECT_EQ(host.m_persist.GetClassID(&id), S_OK);

    // A target without a map offers nothing.
    CCmdTarget plain;
    void* out = &plain;
    EXPECT_EQ(plain.ExternalQueryInterface(&kIUnknownId, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}
