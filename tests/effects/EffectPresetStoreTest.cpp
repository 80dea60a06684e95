// The presets store in the real registry: a real effect's state saved and loaded by name,
// values the effect cannot take leaving its settings alone, and states the store refuses
// leaving nothing listed.
#include "ComObject.h"
#include "ComRef.h"
#include "EffectPresetStore.h"
#include "IEffectParameters.h"
#include "KvSELevl.h"
#include "KvSENorm.h"
#include "ModuleObjects.h"
#include "SettingsTestRoot.h"

#include <gtest/gtest.h>

#include <ocidl.h>
#include <strmif.h>

#include <string>
#include <vector>

namespace {

const CLSID kFakeClass = {0x3c1d6a52, 0x11f0, 0x4e7b, {0x9a, 0x20, 0x5e, 0x44, 0x01, 0x7c, 0x2d, 0x90}};

// A filter's persistence whose state has the size asked for (and may write more than it said).
class FakeState : public ComObject<IPersistStream> {
public:
    FakeState(ULONG sizeMax, ULONG writes) : m_sizeMax(sizeMax), m_writes(writes) {}
    STDMETHODIMP GetClassID(CLSID* id) override
    {
        *id = kFakeClass;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_OK; }
    STDMETHODIMP Load(IStream*) override
    {
        ++loads;
        return S_OK;
    }
    STDMETHODIMP Save(IStream* stream, BOOL) override
    {
        std::vector<BYTE> bytes(m_writes, 0x5A);
        ULONG written = 0;
        return stream->Write(bytes.data(), m_writes, &written);
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override
    {
        size->QuadPart = m_sizeMax;
        return S_OK;
    }
    int loads = 0;

protected:
    void* QueryExtraInterface(REFIID iid) override
    {
        return iid == IID_IPersist ? static_cast<IPersist*>(this) : nullptr;
    }

private:
    ULONG m_sizeMax, m_writes;
};

class EffectPresetStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { ::CoUninitialize(); }

    static ComRef<IUnknown> Gain()
    {
        ComRef<IUnknown> gain;
        EXPECT_EQ(S_OK, CreateModuleObject("KvSELevl.dll", CLSID_KvSELevl, IID_IUnknown, gain.OutVoid()));
        return gain;
    }
    static double GainOf(IUnknown* filter)
    {
        ComRef<IEffectParameters> parameters;
        EXPECT_EQ(S_OK, filter->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid()));
        double value = 0;
        parameters->GetParameter(0, &value);
        return value;
    }
    static void SetGain(IUnknown* filter, double value)
    {
        ComRef<IEffectParameters> parameters;
        ASSERT_EQ(S_OK, filter->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid()));
        ASSERT_EQ(S_OK, parameters->SetParameter(0, value));
    }
    // Bytes put straight under the class's preset key, as another program or a damaged
    // registry leaves them.
    static void PutValue(const CLSID& id, const char* name, const std::vector<BYTE>& bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, BuildPresetKeyPath(id).c_str(), 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ::RegSetValueExA(key, name, 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
        ::RegCloseKey(key);
    }

    static ComRef<IPersistStream> Fake(ULONG sizeMax, ULONG writes, FakeState** object = nullptr)
    {
        FakeState* fake = ComObject<IPersistStream>::Create<FakeState>(sizeMax, writes);
        ComRef<IPersistStream> state;
        *state.Out() = fake;
        if (object)
            *object = fake;
        return state;
    }

    SettingsTestRoot root_;
};

TEST_F(EffectPresetStoreTest, AnEffectsStateComesBackByNameAndTheLastSettingsAreNeverListed)
{
    ComRef<IUnknown> gain = Gain();
    SetGain(gain.Get(), 6);
    ASSERT_EQ(S_OK, SaveEffectState(gain.Get(), "Loud"));
    SetGain(gain.Get(), -3);
    ASSERT_EQ(S_OK, SaveEffectState(gain.Get(), kLastSettingsName));
    EXPECT_EQ(std::vector<std::string>{"Loud"}, ListPresetNames(gain.Get()));

    ComRef<IUnknown> fresh = Gain();
    ASSERT_EQ(S_OK, LoadEffectState(fresh.Get(), "Loud"));
    EXPECT_DOUBLE_EQ(6, GainOf(fresh.Get()));
    ASSERT_EQ(S_OK, LoadEffectState(fresh.Get(), kLastSettingsName));
    EXPECT_DOUBLE_EQ(-3, GainOf(fresh.Get()));

    ASSERT_EQ(S_OK, DeletePresetValue(fresh.Get(), "Loud"));
    EXPECT_TRUE(ListPresetNames(fresh.Get()).empty());
}

TEST_F(EffectPresetStoreTest, LastSettingsTheEffectCannotTakeLeaveItsDefaults)
{
    ComRef<IUnknown> gain = Gain();
    const double defaults = GainOf(gain.Get());
    ComRef<IPersistStream> persist;
    ASSERT_EQ(S_OK, gain->QueryInterface(IID_IPersistStream, persist.OutVoid()));
    ULARGE_INTEGER size{};
    ASSERT_EQ(S_OK, persist->GetSizeMax(&size));
    ASSERT_EQ(S_OK, SaveEffectState(gain.Get(), "whole"));

    // Another effect's record of the same length: the effect's own class id is not in it.
    SetGain(gain.Get(), 9);
    ComRef<IUnknown> other;
    ASSERT_EQ(S_OK, CreateModuleObject("KvSENorm.dll", CLSID_KvSENorm, IID_IUnknown, other.OutVoid()));
    std::vector<BYTE> foreign(size.LowPart, 0);
    {
        ComRef<IStream> stream;
        ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()));
        ComRef<IPersistStream> otherPersist;
        ASSERT_EQ(S_OK, other->QueryInterface(IID_IPersistStream, otherPersist.OutVoid()));
        ASSERT_EQ(S_OK, otherPersist->Save(stream.Get(), FALSE));
        HGLOBAL block = nullptr;
        ::GetHGlobalFromStream(stream.Get(), &block);
        const BYTE* data = static_cast<const BYTE*>(::GlobalLock(block));
        std::copy(data, data + std::min<SIZE_T>(foreign.size(), ::GlobalSize(block)), foreign.begin());
        ::GlobalUnlock(block);
    }
    const std::vector<BYTE> cases[] = {
        {0x10, 0x00},                           // short
        foreign,                                // another effect's
        std::vector<BYTE>(size.LowPart, 0xFF),  // noise of the right length
    };
    for (const std::vector<BYTE>& bytes : cases) {
        ComRef<IUnknown> fresh = Gain();
        PutValue(CLSID_KvSELevl, kLastSettingsName, bytes);
        EXPECT_TRUE(FAILED(LoadEffectState(fresh.Get(), kLastSettingsName))) << bytes.size();
        EXPECT_DOUBLE_EQ(defaults, GainOf(fresh.Get())) << bytes.size();
    }
}

TEST_F(EffectPresetStoreTest, AMissingPresetIsNotLoadedAndAStateTooBigIsNotListed)
{
    FakeState* fake = nullptr;
    ComRef<IPersistStream> missing = Fake(64, 64, &fake);
    EXPECT_EQ(S_FALSE, LoadEffectState(missing.Get(), "none")) << "no key";
    ASSERT_EQ(S_OK, SaveEffectState(missing.Get(), "some"));
    EXPECT_EQ(S_FALSE, LoadEffectState(missing.Get(), "none")) << "no value";
    EXPECT_EQ(0, fake->loads);
    ASSERT_EQ(S_OK, DeletePresetValue(missing.Get(), "some"));

    // Said too big, or written bigger than said: refused, nothing stored.
    const std::pair<ULONG, ULONG> refused[] = {{kMaxEffectState + 1, 16}, {64, kMaxEffectState + 1}};
    for (const auto& [sizeMax, writes] : refused) {
        ComRef<IPersistStream> big = Fake(sizeMax, writes);
        EXPECT_TRUE(FAILED(SaveEffectState(big.Get(), "Big"))) << sizeMax << " " << writes;
        EXPECT_TRUE(ListPresetNames(big.Get()).empty()) << sizeMax << " " << writes;
    }
    // The largest state there may be is kept whole.
    ComRef<IPersistStream> largest = Fake(kMaxEffectState, kMaxEffectState);
    EXPECT_EQ(S_OK, SaveEffectState(largest.Get(), "Largest"));
    EXPECT_EQ(std::vector<std::string>{"Largest"}, ListPresetNames(largest.Get()));
}

} // namespace
