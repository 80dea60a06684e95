// The sound-card mixer device: the packing of volume values, and a closed or unopenable mixer
// (MixerDeviceAudioTest.cpp has it on the test sound server's mixers).
#include "MixerDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<MIXERCONTROLDETAILS_UNSIGNED> Values(std::initializer_list<DWORD> list)
{
    std::vector<MIXERCONTROLDETAILS_UNSIGNED> values;
    for (DWORD v : list)
        values.push_back({v});
    return values;
}

std::vector<DWORD> Plain(const std::vector<MIXERCONTROLDETAILS_UNSIGNED>& values)
{
    std::vector<DWORD> plain;
    for (const auto& v : values)
        plain.push_back(v.dwValue);
    return plain;
}

} // namespace

TEST(MixerDevice, PackedValueCarriesLeftLowRightHighAndMonoInBothHalves)
{
    const struct {
        std::vector<MIXERCONTROLDETAILS_UNSIGNED> values;
        DWORD packed;
    } cases[] = {
        {Values({0x1234}), 0x12341234},
        {Values({0x1111, 0xFFFF}), 0xFFFF1111},
        {Values({0x0001, 0x0002, 0x0003, 0x0004}), 0x00020001},
        {Values({0x12345, 0x10000}), 0x00002345}, // only the low 16 bits of a value count
    };
    for (const auto& c : cases)
        EXPECT_EQ(PackMixerValues(c.values.data(), (DWORD)c.values.size()), c.packed) << std::hex << c.packed;
}

TEST(MixerDevice, WrittenValuesComeInPairsAndAnOddLastChannelFollowsTheLeft)
{
    const struct {
        DWORD packed;
        std::vector<DWORD> values;
    } cases[] = {
        {0xABCD1234, {0x1234}},
        {0xABCD1234, {0x1234, 0xABCD}},
        {0xABCD1234, {0x1234, 0xABCD, 0x1234}},
        {0x0000FFFF, {0xFFFF, 0, 0xFFFF, 0, 0xFFFF, 0}},
    };
    for (const auto& c : cases) {
        std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(c.values.size(), MIXERCONTROLDETAILS_UNSIGNED{0x5555});
        UnpackMixerValue(c.packed, values.data(), (DWORD)values.size());
        EXPECT_EQ(Plain(values), c.values) << values.size() << " channels";
    }
}

TEST(MixerDevice, ClosedMixerRefusesEveryOperationWithOne)
{
    CMixerDevice mixer;
    DWORD packed = 0xDEAD;
    EXPECT_FALSE(mixer.IsOpen());
    EXPECT_EQ(mixer.ReadLines(), 1u);
    EXPECT_EQ(mixer.ReadSourceList(), 1u);
    EXPECT_EQ(mixer.FindLine(0), -1);
    EXPECT_EQ(mixer.GetControlValue(0, &packed), 1u);
    EXPECT_EQ(mixer.SetControlValue(0, 0x80008000), 1u);
    EXPECT_EQ(packed, 0xDEADu);
    mixer.Close(); // closing twice is harmless
    EXPECT_FALSE(mixer.IsOpen());
}

TEST(MixerDevice, OpenWithoutSuchDeviceReturnsTheSystemCodeAndStaysClosed)
{
    // A mixer id past the last mixer, a wave handle that is none: each is the system's refusal.
    const struct {
        UINT_PTR handle;
        DWORD flags;
    } cases[] = {
        {::mixerGetNumDevs(), MIXER_OBJECTF_MIXER},
        {0xFFFF, MIXER_OBJECTF_MIXER},
        {0x1234, MIXER_OBJECTF_HWAVEIN},
        {0x1234, MIXER_OBJECTF_HWAVEOUT},
    };
    for (const auto& c : cases) {
        CMixerDevice mixer;
        MMRESULT result = mixer.Open(c.handle, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, 0, 0, c.flags);
        EXPECT_NE(result, 0u) << c.handle << " flags " << std::hex << c.flags;
        EXPECT_NE(result, 1u) << c.handle << " flags " << std::hex << c.flags;
        EXPECT_FALSE(mixer.IsOpen());
        EXPECT_EQ(mixer.ReadLines(), 1u);
    }
}
