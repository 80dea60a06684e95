// The mixer device on the test sound server's devices (audio Wine prefix): Wine's mixers there
// have a volume that reads back and a mute, no recording-source selector, and open by mixer id.
#include "MixerDevice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The first mixer with a destination of that component type, opened by id; false when none.
bool OpenFirst(CMixerDevice& mixer, DWORD componentType)
{
    for (UINT id = 0; id < ::mixerGetNumDevs(); ++id)
        if (mixer.Open(id, componentType, 0, 0, MIXER_OBJECTF_MIXER) == MMSYSERR_NOERROR)
            return true;
    return false;
}

// Whether the control keeps one value for all channels, asked of the mixer directly.
bool IsUniform(const MixerLineRecord& record)
{
    MIXERCONTROLA controls[16] = {};
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwLineID = record.lineId;
    HMIXEROBJ mixer = reinterpret_cast<HMIXEROBJ>((UINT_PTR)record.mixerId);
    if (::mixerGetLineInfoA(mixer, &line, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_LINEID) || line.cControls > 16)
        return false;
    MIXERLINECONTROLSA query{};
    query.cbStruct = sizeof query;
    query.dwLineID = record.lineId;
    query.cControls = line.cControls;
    query.cbmxctrl = sizeof(MIXERCONTROLA);
    query.pamxctrl = controls;
    if (::mixerGetLineControlsA(mixer, &query, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ALL))
        return false;
    for (DWORD i = 0; i < line.cControls; ++i)
        if (controls[i].dwControlID == record.controlId)
            return (controls[i].fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) || line.cChannels == 1;
    return false;
}

} // namespace

TEST(MixerDeviceOnSoundServer, VolumeWritesReadBackOnPlaybackAndRecordingDestinations)
{
    ASSERT_GT(::mixerGetNumDevs(), 0u) << "the sound server's devices are missing";
    for (DWORD destination : {MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_DST_WAVEIN}) {
        CMixerDevice mixer;
        ASSERT_TRUE(OpenFirst(mixer, destination)) << std::hex << destination;
        EXPECT_EQ(mixer.DestinationLine().dwComponentType, destination);
        ASSERT_EQ(mixer.ReadLines(), 0u);
        ASSERT_FALSE(mixer.Lines().empty()) << std::hex << destination;
        const MixerLineRecord& line = mixer.Lines()[0];
        EXPECT_EQ(line.mixerId, mixer.MixerId());
        EXPECT_EQ(line.componentType, destination);
        EXPECT_EQ(mixer.FindLine(line.controlId), 0);

        DWORD original = 0;
        ASSERT_EQ(mixer.GetControlValue(line.controlId, &original), 0u);
        for (DWORD packed : {0x40008000u, 0xFFFF0000u, 0x00001234u, 0xC000C000u}) {
            ASSERT_EQ(mixer.SetControlValue(line.controlId, packed), 0u) << std::hex << packed;
            DWORD readBack = 0;
            ASSERT_EQ(mixer.GetControlValue(line.controlId, &readBack), 0u);
            // A control of one value (Wine's are) reads back its left half in both.
            DWORD expected = IsUniform(line) ? (packed & 0xFFFF) * 0x10001 : packed;
            EXPECT_EQ(readBack, expected) << std::hex << packed << " on " << destination;
        }
        EXPECT_EQ(mixer.SetControlValue(line.controlId, original), 0u);
    }
}

TEST(MixerDeviceOnSoundServer, RecordingDestinationHasNoSourceSelector)
{
    CMixerDevice mixer;
    ASSERT_TRUE(OpenFirst(mixer, MIXERLINE_COMPONENTTYPE_DST_WAVEIN));
    EXPECT_EQ(mixer.ReadSourceList(), 1u);
    EXPECT_TRUE(mixer.SourceItems().empty());
}

TEST(MixerDeviceOnSoundServer, ControlOfAnotherMixerIsNotFound)
{
    CMixerDevice playback, recording;
    ASSERT_TRUE(OpenFirst(playback, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS));
    ASSERT_TRUE(OpenFirst(recording, MIXERLINE_COMPONENTTYPE_DST_WAVEIN));
    ASSERT_EQ(playback.ReadLines(), 0u);
    ASSERT_EQ(recording.ReadLines(), 0u);
    ASSERT_FALSE(recording.Lines().empty());
    // A control id no record of the playback mixer has (ids may repeat between mixers).
    DWORD foreign = recording.Lines()[0].controlId;
    while (playback.FindLine(foreign) >= 0)
        ++foreign;
    DWORD packed = 0xDEAD;
    EXPECT_EQ(playback.GetControlValue(foreign, &packed), 1u);
    EXPECT_EQ(playback.SetControlValue(foreign, 0), 1u);
    EXPECT_EQ(packed, 0xDEADu);
    // Closed, the mixer finds none of its own controls either.
    playback.Close();
    EXPECT_EQ(playback.FindLine(playback.Lines()[0].controlId), -1);
}

TEST(MixerDeviceOnSoundServer, DestinationThatNoMixerHasLeavesItClosed)
{
    CMixerDevice mixer;
    EXPECT_FALSE(OpenFirst(mixer, MIXERLINE_COMPONENTTYPE_DST_TELEPHONE));
    EXPECT_FALSE(mixer.IsOpen());
    EXPECT_EQ(mixer.ReadLines(), 1u);
}
