// The audio device dialog's lists on the test sound server (audio Wine prefix): the engine lists
// its null sink for waveOut and DirectSound and the sink's monitor for recording; a device chosen
// there is stored by name and shown again.
#include "AudioDeviceDialog.h"
#include "AudioDeviceIds.h"
#include "Settings.h"
#include "SettingsTestKit.h"
#include "SettingsTestRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kSinkName = "KvNullSink";

using settingstest::ComboItems;

// Index of the first item naming the sink, -1 when none does.
int SinkItem(HWND combo)
{
    std::vector<std::string> items = ComboItems(combo);
    for (size_t i = 1; i < items.size(); ++i)
        if (items[i].find(kSinkName) != std::string::npos)
            return (int)i;
    return -1;
}

std::string Stored(const char* entry)
{
    std::string text;
    GetSettingString(kSettingsSection, entry, "<none>", &text);
    return text;
}

} // namespace

TEST(AudioDeviceDialogOnSoundServer, ListsTheSinkAndItsMonitorAndKeepsTheChoice)
{
    // waveOut and DirectSound share the playback combo (the mode picks the list); recording has its own.
    const struct {
        int directSound;
        int combo;
        const char* key;
    } lists[] = {
        {0, IDC_PLAYBACK_DEVICE, "WaveOutDevice"},
        {1, IDC_PLAYBACK_DEVICE, "DirectSoundDevice"},
        {0, IDC_RECORDING_DEVICE, "WaveInDevice"},
    };
    for (const auto& list : lists) {
        SettingsTestRoot root;
        SetSettingInt(kSettingsSection, "DirectSoundUse", list.directSound);
        std::string chosen;
        {
            AudioDeviceDialog dialog;
            ASSERT_TRUE(dialog.Create(IDD_AUDIO_DEVICE));
            HWND combo = ::GetDlgItem(dialog.WavePanel()->m_hWnd, list.combo);
            EXPECT_TRUE(::IsWindowEnabled(combo)) << list.key;
            int sink = SinkItem(combo);
            ASSERT_GT(sink, 0) << list.key << ": " << ComboItems(combo).size() << " items";
            chosen = ComboItems(combo)[sink];
            ::SendMessageA(combo, CB_SETCURSEL, (WPARAM)sink, 0);
            ::SendMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
            ASSERT_EQ(dialog.m_hWnd, nullptr);
        }
        EXPECT_EQ(Stored(list.key), chosen);
        AudioDeviceDialog again;
        ASSERT_TRUE(again.Create(IDD_AUDIO_DEVICE));
        HWND combo = ::GetDlgItem(again.WavePanel()->m_hWnd, list.combo);
        int shown = (int)::SendMessageA(combo, CB_GETCURSEL, 0, 0);
        ASSERT_GT(shown, 0) << list.key;
        EXPECT_EQ(ComboItems(combo)[shown], chosen);
        again.DestroyWindow();
    }
}
