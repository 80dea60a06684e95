// The playback renderer lookup on the sound server's devices: the settings that name the
// sink's DirectSound or waveOut device give that renderer, an unknown name the class's default.
#include "AudioRenderer.h"
#include "AudioRig.h"

#include <gtest/gtest.h>

#include <dsound.h>
#include <uuids.h>

#include <string>

namespace {

BOOL CALLBACK FirstNamed(LPGUID guid, LPCSTR description, LPCSTR, LPVOID context)
{
    auto* name = static_cast<std::string*>(context);
    if (guid && description && name->empty())
        *name = description;
    return TRUE;
}

CLSID ClassOf(IBaseFilter* filter)
{
    CLSID id = CLSID_NULL;
    filter->GetClassID(&id);
    return id;
}

struct RendererCase {
    const char* name;
    int directSound;
    bool knownName;
};

class AudioRendererDeviceTest : public ::testing::TestWithParam<RendererCase> {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

TEST_P(AudioRendererDeviceTest, SettingsPickTheSinksRendererOrTheDefault)
{
    const RendererCase& c = GetParam();
    std::string sink;
    if (c.directSound) {
        DirectSoundEnumerateA(FirstNamed, &sink);
    } else {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(0, &caps, sizeof(caps)) == MMSYSERR_NOERROR)
            sink = caps.szPname;
    }
    ASSERT_FALSE(sink.empty()) << "the sound server's sink is not listed";
    rig::ScopedSetting use("DirectSoundUse", c.directSound);
    rig::ScopedSetting named(c.directSound ? "DirectSoundDevice" : "WaveOutDevice",
                             c.knownName ? sink.c_str() : "No Such Device");
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, CreateAudioRendererFilter(&filter));
    ASSERT_NE(nullptr, filter);
    // The platform's waveOut renderer reports the DirectSound renderer's class as its own.
    if (c.directSound) {
        EXPECT_TRUE(IsEqualCLSID(CLSID_DSoundRender, ClassOf(filter)));
    }
    filter->Release();
    EXPECT_EQ(1, CanCreateAudioRenderer());
    if (c.knownName) {
        // The category lists the sink under the name the lookup matches: "DirectSound: <sink>"
        // for DirectSound, the waveOut device's own name for waveOut.
        IEnumMoniker* devices = nullptr;
        ASSERT_EQ(S_OK, EnumerateDeviceCategory(CLSID_AudioRendererCategory, &devices));
        IBaseFilter* found = nullptr;
        EXPECT_EQ(S_OK, FindRendererDevice(devices, c.directSound ? CLSID_DSoundRender : CLSID_AudioRender,
                                           ((c.directSound ? "DirectSound: " : "") + sink).c_str(), &found));
        devices->Release();
        if (found)
            found->Release();
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, AudioRendererDeviceTest,
                         ::testing::Values(RendererCase{"DirectSoundNamed", 1, true},
                                           RendererCase{"DirectSoundUnknown", 1, false},
                                           RendererCase{"WaveOutNamed", 0, true},
                                           RendererCase{"WaveOutUnknown", 0, false}),
                         [](const ::testing::TestParamInfo<RendererCase>& i) { return std::string(i.param.name); });

} // namespace
