#include "AudioRenderer.h"
#include "ComObject.h"
#include "GraphRunner.h"
#include "TestFilters.h"

#include <gtest/gtest.h>

#include <oleauto.h>
#include <uuids.h>

#include <string>
#include <vector>

using namespace kvtest;

namespace {

// One audio device as the system's enumeration shows it; null texts are missing properties.
struct Device {
    const wchar_t* classText;
    const wchar_t* friendlyName;
    bool bindable;
};

const wchar_t* const kDSound = L"{79376820-07D0-11CF-A24D-0020AFD79767}";
const wchar_t* const kWaveOut = L"{E30629D1-27E5-11CE-875D-00608CB78066}";

class FakeBag : public ComObject<IPropertyBag> {
public:
    explicit FakeBag(const Device& d) : m_device(d) {}
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        const wchar_t* text = std::wstring(name) == L"CLSID"          ? m_device.classText
                              : std::wstring(name) == L"FriendlyName" ? m_device.friendlyName
                                                                      : nullptr;
        if (!text)
            return E_FAIL;
        value->vt = VT_BSTR;
        value->bstrVal = SysAllocString(text);
        return S_OK;
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

private:
    Device m_device;
};

class FakeMoniker : public ComObject<IMoniker> {
public:
    FakeMoniker(const Device& d, IBaseFilter* filter) : m_device(d), m_filter(filter) {}
    STDMETHODIMP BindToObject(IBindCtx*, IMoniker*, REFIID iid, void** out) override
    {
        if (!m_device.bindable)
            return E_FAIL;
        return m_filter->QueryInterface(iid, out);
    }
    STDMETHODIMP BindToStorage(IBindCtx*, IMoniker*, REFIID iid, void** out) override
    {
        if (iid != IID_IPropertyBag)
            return E_NOINTERFACE;
        *out = static_cast<IPropertyBag*>(ComObject<IPropertyBag>::Create<FakeBag>(m_device));
        return S_OK;
    }
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDirty() override { return E_NOTIMPL; }
    STDMETHODIMP Load(IStream*) override { return E_NOTIMPL; }
    STDMETHODIMP Save(IStream*, WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP ComposeWith(IMoniker*, WINBOOL, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP Enum(WINBOOL, IEnumMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP IsEqual(IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP Hash(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }
    STDMETHODIMP Inverse(IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP CommonPrefixWith(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP RelativePathTo(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP IsSystemMoniker(DWORD*) override { return E_NOTIMPL; }

private:
    Device m_device;
    IBaseFilter* m_filter;
};

class FakeDevices : public ComObject<IEnumMoniker> {
public:
    explicit FakeDevices(std::vector<IMoniker*> monikers) : m_monikers(std::move(monikers)) {}
    STDMETHODIMP Next(ULONG count, IMoniker** out, ULONG* fetched) override
    {
        if (count != 1 || m_at >= m_monikers.size())
            return S_FALSE;
        *out = m_monikers[m_at++];
        (*out)->AddRef();
        if (fetched)
            *fetched = 1;
        return S_OK;
    }
    STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
    STDMETHODIMP Reset() override
    {
        m_at = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumMoniker**) override { return E_NOTIMPL; }

private:
    std::vector<IMoniker*> m_monikers;
    size_t m_at = 0;
};

} // namespace

// The configured name picks the first device of the wanted renderer class whose friendly name
// (or, without one, its class text) contains it; devices that cannot be read or bound are
// passed over.
TEST(AudioRendererLookup, TakesTheFirstBindableDeviceOfTheClassCarryingTheName)
{
    const std::vector<Device> devices = {
        {kWaveOut, L"Speakers (USB Audio)", true},              // 0
        {kDSound, L"DirectSound: Speakers (USB Audio)", false}, // 1
        {kDSound, L"DirectSound: Speakers (USB Audio)", true},  // 2
        {kDSound, nullptr, true},                               // 3
        {nullptr, L"Headphones", true},                         // 4
        {kDSound, L"Default DirectSound Device", true},         // 5
    };
    struct Case {
        const CLSID* wanted;
        const char* name;
        int expected; // device index, -1 none
    };
    const Case cases[] = {
        {&CLSID_DSoundRender, "Speakers (USB Audio)", 2},
        {&CLSID_AudioRender, "Speakers (USB Audio)", 0},
        {&CLSID_DSoundRender, "speakers", -1},
        {&CLSID_DSoundRender, "{79376820-07D0-11CF-A24D-0020AFD79767}", 3},
        {&CLSID_DSoundRender, "Headphones", -1},
        {&CLSID_DSoundRender, "Default", 5},
        {&CLSID_DSoundRender, "Removed Device", -1},
    };
    std::vector<TestRenderer*> filters;
    std::vector<IMoniker*> monikers;
    for (const Device& d : devices) {
        filters.push_back(TestRenderer::New());
        monikers.push_back(ComObject<IMoniker>::Create<FakeMoniker>(d, static_cast<IBaseFilter*>(filters.back())));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IEnumMoniker* list = ComObject<IEnumMoniker>::Create<FakeDevices>(monikers);
        IBaseFilter* found = nullptr;
        HRESULT hr = FindRendererDevice(list, *c.wanted, c.name, &found);
        list->Release();
        if (c.expected < 0) {
            EXPECT_EQ(S_FALSE, hr);
            EXPECT_EQ(nullptr, found);
        } else {
            EXPECT_EQ(S_OK, hr);
            EXPECT_EQ(static_cast<IBaseFilter*>(filters[c.expected]), found);
        }
        if (found)
            found->Release();
    }
    for (IMoniker* m : monikers)
        m->Release();
    for (TestRenderer* f : filters)
        f->Release();
}

// Without a playback device (the headless test machine) the creation fails with a code and
// leaves the caller's pointer alone; the availability check says 0. With one it gives a filter.
TEST(AudioRendererLookup, CreationReportsAMissingDeviceByItsCode)
{
    ComScope com;
    IBaseFilter* sentinel = reinterpret_cast<IBaseFilter*>(uintptr_t(0x1234));
    IBaseFilter* filter = sentinel;
    HRESULT hr = CreateAudioRendererFilter(&filter);
    if (FAILED(hr)) {
        EXPECT_EQ(sentinel, filter);
        EXPECT_EQ(0, CanCreateAudioRenderer());
    } else {
        ASSERT_NE(nullptr, filter);
        filter->Release();
        EXPECT_EQ(1, CanCreateAudioRenderer());
    }
    EXPECT_EQ(E_POINTER, CreateAudioRendererFilter(nullptr));
}
