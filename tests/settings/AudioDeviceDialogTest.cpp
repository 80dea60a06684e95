// The audio device settings dialog, opened as the user sees it (modeless, and once modal), its
// controls set through window messages, OK pressed and the settings read back.
#include "AudioDeviceDialog.h"
#include "AudioDeviceIds.h"
#include "SettingsCommands.h"
#include "Settings.h"
#include "SettingsTestKit.h"
#include "SettingsTestRoot.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TableDevices : AudioDeviceLists {
    std::vector<std::string> waveOut, directSound, waveIn;
    std::vector<std::string> PlaybackNames(LONG kind) const override { return kind == 0 ? waveOut : directSound; }
    std::vector<std::string> RecordingNames() const override { return waveIn; }
};

using settingstest::ComboItems;
using settingstest::Text;

std::string SettingText(const char* entry, const char* missing = "<none>")
{
    std::string text;
    GetSettingString(kSettingsSection, entry, missing, &text);
    return text;
}

int Setting(const char* entry)
{
    return GetSettingInt(kSettingsSection, entry, -12345);
}

bool Visible(HWND panel, int id)
{
    return ::IsWindowVisible(::GetDlgItem(panel, id)) != FALSE;
}

class AudioDeviceDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
            messages.push_back(text);
            return IDOK;
        });
        devices.waveOut = {"Speakers (Card A)", "Line Out (Card B)"};
        devices.directSound = {"Speakers (Card A)"};
        devices.waveIn = {"Microphone (Card A)", "Monitor of Null Output"};
    }
    void TearDown() override
    {
        AfxSetMessageBoxHook(nullptr);
        if (dialog && dialog->m_hWnd)
            dialog->DestroyWindow();
        dialog.reset();
    }

    // Opens and shows the dialog modeless; the panel's window.
    HWND Open()
    {
        dialog = std::make_unique<AudioDeviceDialog>(nullptr, devices);
        EXPECT_TRUE(dialog->Create(IDD_AUDIO_DEVICE));
        dialog->ShowWindow(SW_SHOW);
        EXPECT_NE(dialog->WavePanel(), nullptr);
        return dialog->WavePanel() ? dialog->WavePanel()->m_hWnd : nullptr;
    }
    void Store(const std::map<std::string, int>& numbers, const std::map<std::string, std::string>& texts = {})
    {
        for (const auto& n : numbers)
            SetSettingInt(kSettingsSection, n.first.c_str(), n.second);
        for (const auto& t : texts)
            SetSettingString(kSettingsSection, t.first.c_str(), t.second.c_str());
    }
    void Click(HWND panel, int id) { ::SendMessageA(::GetDlgItem(panel, id), BM_CLICK, 0, 0); }
    // OK as the button sends it; true when the dialog closed.
    bool PressOK()
    {
        HWND hwnd = dialog->m_hWnd;
        ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(hwnd, IDOK));
        return dialog->m_hWnd == nullptr;
    }

    // The test's own settings; a SettingsTestRoot made inside a loop empties them for one case.
    SettingsTestRoot root;
    TableDevices devices;
    std::unique_ptr<AudioDeviceDialog> dialog;
    std::vector<std::string> messages;
};

} // namespace

TEST_F(AudioDeviceDialogTest, OpensWithTheAsioSwitchGoneAndThePanelInItsPlace)
{
    HWND panel = Open();
    HWND hwnd = dialog->m_hWnd;
    EXPECT_FALSE(Visible(hwnd, IDC_USE_ASIO));
    EXPECT_TRUE(::IsWindowVisible(panel));
    RECT check{}, panelRect{}, ok{};
    ::GetWindowRect(::GetDlgItem(hwnd, IDC_USE_ASIO), &check);
    ::GetWindowRect(panel, &panelRect);
    ::GetWindowRect(::GetDlgItem(hwnd, IDOK), &ok);
    EXPECT_EQ(panelRect.top, check.top); // moved up into the switch's place
    EXPECT_GT(ok.top, panelRect.bottom);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_LE(ok.bottom, client.bottom); // the dialog shrank no further than its buttons
    EXPECT_GT(client.bottom - ok.bottom, 0);
    // The extensible-format rows are hidden; the recording group sits right under playback.
    for (int id : {IDC_PLAYBACK_EXTENSIBLE, IDC_RECORDING_EXTENSIBLE, IDC_PLAYBACK_BITS, IDC_RECORDING_BITS,
                   IDC_PLAYBACK_BITS_LABEL, IDC_RECORDING_BITS_LABEL})
        EXPECT_FALSE(Visible(panel, id)) << id;
    EXPECT_EQ(ComboItems(::GetDlgItem(panel, IDC_PLAYBACK_BITS)), std::vector<std::string>{"16 bit"});
    RECT playback{}, recording{}, count{};
    ::GetWindowRect(::GetDlgItem(panel, IDC_PLAYBACK_GROUP), &playback);
    ::GetWindowRect(::GetDlgItem(panel, IDC_RECORDING_GROUP), &recording);
    ::GetWindowRect(::GetDlgItem(panel, IDC_BUFFER_COUNT), &count);
    EXPECT_LT(playback.bottom - count.bottom, count.bottom - count.top);
    EXPECT_LT(recording.top - playback.bottom, count.bottom - count.top);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(panel, IDC_WAVEOUT_MODE));
}

TEST_F(AudioDeviceDialogTest, StoredValuesAreShownInSecondsForTheStoredMode)
{
    const struct {
        std::map<std::string, int> stored;
        int radio;
        const char *buffer, *range, *count, *recordingBuffer, *offset;
    } cases[] = {
        {{}, IDC_WAVEOUT_MODE, "0.2", "Sec (0.1 to 0.5)", "5", "2", "0"},
        {{{"WaveOutBufferLength", 250}, {"WaveOutBufferCount", 8}, {"WaveInBufferCount", 25}, {"WaveInOffset", 120}},
         IDC_WAVEOUT_MODE,
         "0.2",
         "Sec (0.1 to 0.5)",
         "8",
         "2.5",
         "120"},
        {{{"DirectSoundUse", 1}, {"DirectSoundBufferLength", 1299}, {"WaveInBufferCount", 5}},
         IDC_DIRECTSOUND_MODE,
         "1.2",
         "Sec (0.1 to 2.0)",
         nullptr,
         "0.5",
         "0"},
    };
    for (const auto& c : cases) {
        SettingsTestRoot caseRoot;
        Store(c.stored);
        HWND panel = Open();
        EXPECT_EQ(::IsDlgButtonChecked(panel, c.radio), BST_CHECKED) << c.buffer;
        EXPECT_EQ(Text(panel, IDC_PLAYBACK_BUFFER), c.buffer);
        EXPECT_EQ(Text(panel, IDC_PLAYBACK_BUFFER_RANGE), c.range);
        EXPECT_EQ(Visible(panel, IDC_BUFFER_COUNT), c.count != nullptr) << c.buffer;
        if (c.count) {
            EXPECT_EQ(Text(panel, IDC_BUFFER_COUNT), c.count);
        }
        EXPECT_EQ(Text(panel, IDC_BUFFER_COUNT_RANGE), "(3-20)");
        EXPECT_EQ(Text(panel, IDC_RECORDING_BUFFER), c.recordingBuffer);
        EXPECT_EQ(Text(panel, IDC_RECORDING_BUFFER_RANGE), "Sec (0.5 to 5.0)");
        EXPECT_EQ(Text(panel, IDC_RECORDING_OFFSET), c.offset);
        dialog->DestroyWindow();
    }
}

TEST_F(AudioDeviceDialogTest, TypedSecondsAreStoredInTheirUnitsOnOK)
{
    const struct {
        bool directSound;
        const char *buffer, *count, *recordingBuffer, *offset;
        int storedBuffer, storedRecording;
    } cases[] = {
        {false, "0.35", "3", "2.5", "0", 350, 25},      {false, "0.1", "20", "0.5", "1000", 100, 5},
        {false, " 0.5 ", "7", "4.99", "15", 500, 50}, // tenths of a second, to the nearest
        {true, "1.001", nullptr, "2.3", "0", 1001, 23}, {true, "2", nullptr, "5", "0", 2000, 50},
        {true, "1.003", nullptr, "0.7", "0", 1003, 7}, // both a hair below in binary
        {false, "0.3", "4", "4.36", "0", 300, 44},
    };
    for (const auto& c : cases) {
        SettingsTestRoot caseRoot;
        Store({{"DirectSoundUse", c.directSound}, {"WaveOutEnableExTensible", 1}, {"WaveInUseExTensible", 1}});
        HWND panel = Open();
        ::SetDlgItemTextA(panel, IDC_PLAYBACK_BUFFER, c.buffer);
        if (c.count)
            ::SetDlgItemTextA(panel, IDC_BUFFER_COUNT, c.count);
        ::SetDlgItemTextA(panel, IDC_RECORDING_BUFFER, c.recordingBuffer);
        ::SetDlgItemTextA(panel, IDC_RECORDING_OFFSET, c.offset);
        ASSERT_TRUE(PressOK()) << c.buffer << (messages.empty() ? "" : messages.back());
        EXPECT_EQ(Setting("DirectSoundUse"), c.directSound ? 1 : 0);
        EXPECT_EQ(Setting(c.directSound ? "DirectSoundBufferLength" : "WaveOutBufferLength"), c.storedBuffer);
        EXPECT_EQ(Setting(c.directSound ? "WaveOutBufferLength" : "DirectSoundBufferLength"),
                  c.directSound ? 200 : 500);
        EXPECT_EQ(Setting("WaveOutBufferCount"), c.count ? atoi(c.count) : 5);
        EXPECT_EQ(Setting("WaveInBufferCount"), c.storedRecording) << c.recordingBuffer;
        EXPECT_EQ(Setting("WaveInOffset"), atoi(c.offset));
        // The hidden format flags go back as they were read.
        EXPECT_EQ(Setting("WaveOutEnableExTensible"), 1);
        EXPECT_EQ(Setting("DirectSoundEnableExTensible"), 0);
        EXPECT_EQ(Setting("WaveInUseExTensible"), 1);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(AudioDeviceDialogTest, OutOfRangeValuesKeepTheDialogOpenAndWriteNothing)
{
    const struct {
        bool directSound;
        int id;
        const char *text, *message;
    } cases[] = {
        {false, IDC_PLAYBACK_BUFFER, "0.7", "Please enter a number between 0.1 and 0.5."},
        {false, IDC_PLAYBACK_BUFFER, "0.09", "Please enter a number between 0.1 and 0.5."},
        {true, IDC_PLAYBACK_BUFFER, "2.01", "Please enter a number between 0.1 and 2."},
        {false, IDC_PLAYBACK_BUFFER, "fast", "Please enter a number."},
        {false, IDC_BUFFER_COUNT, "2", "Please enter an integer between 3 and 20."},
        {false, IDC_BUFFER_COUNT, "21", "Please enter an integer between 3 and 20."},
        {false, IDC_RECORDING_BUFFER, "0.4", "Please enter a number between 0.5 and 5."},
        {true, IDC_RECORDING_BUFFER, "5.1", "Please enter a number between 0.5 and 5."},
        {false, IDC_RECORDING_OFFSET, "1001", "Please enter an integer between 0 and 1000."},
    };
    for (const auto& c : cases) {
        SettingsTestRoot caseRoot;
        if (c.directSound)
            Store({{"DirectSoundUse", 1}});
        HWND panel = Open();
        ::SetDlgItemTextA(panel, c.id, c.text);
        messages.clear();
        EXPECT_FALSE(PressOK()) << c.text;
        ASSERT_EQ(messages.size(), 1u) << c.text;
        EXPECT_EQ(messages[0], c.message);
        EXPECT_EQ(Text(panel, c.id), c.text);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(panel, c.id));
        for (const char* entry : {"WaveOutBufferLength", "WaveInDevice", "WaveInOffset"})
            EXPECT_EQ(Setting(entry), -12345) << entry;
        dialog->DestroyWindow();
    }
}

TEST_F(AudioDeviceDialogTest, DeviceListsFindTheStoredNameExactlyThenByPrefixAndStoreTheChoice)
{
    // Each case: devices listed, the stored name, the item shown, and what OK stores (after
    // choosing item `choose` when it is not -1).
    const struct {
        std::vector<std::string> names;
        const char* stored;
        int shown;
        bool enabled;
        int choose;
        const char* storedBack;
    } cases[] = {
        {{}, "", 0, false, -1, ""},
        {{}, "Speakers (Card A)", 0, false, -1, ""},                       // gone: the mapper
        {{"Speakers (Card A)", "Line Out (Card B)"}, "", 0, true, -1, ""}, // empty: the mapper, not item 1
        {{"Speakers (Card A)", "Line Out (Card B)"}, "Line Out", 2, true, -1, "Line Out (Card B)"},
        {{"Speakers (Card A)", "Line Out (Card B)"}, "line out (card b)", 2, true, -1, "Line Out (Card B)"},
        {{"Speakers (Card A)", "Line Out (Card B)"}, "Headphones", 0, true, -1, ""},
        {{"Speakers (Card A)", "Line Out (Card B)"}, "Line Out (Card B)", 2, true, 0, ""},
        {{"Speakers (Card A)", "Line Out (Card B)"}, "", 0, true, 1, "Speakers (Card A)"},
        // The very name before a longer one it begins.
        {{"Line Out 2 (USB)", "Line Out"}, "Line Out", 2, true, -1, "Line Out"},
    };
    const struct {
        const char* modeKey;
        int kind;
        int combo;
        const char* key;
        const char* first;
    } lists[] = {
        {nullptr, 0, IDC_PLAYBACK_DEVICE, "WaveOutDevice", "Wave Mapper"},
        {"DirectSoundUse", 1, IDC_PLAYBACK_DEVICE, "DirectSoundDevice", "Primary Sound Driver"},
        {nullptr, 2, IDC_RECORDING_DEVICE, "WaveInDevice", "Wave Mapper"},
    };
    for (const auto& list : lists) {
        for (const auto& c : cases) {
            SettingsTestRoot caseRoot;
            devices.waveOut = list.kind == 0 ? c.names : std::vector<std::string>{};
            devices.directSound = list.kind == 1 ? c.names : std::vector<std::string>{};
            devices.waveIn = list.kind == 2 ? c.names : std::vector<std::string>{};
            Store(list.modeKey ? std::map<std::string, int>{{list.modeKey, 1}} : std::map<std::string, int>{},
                  {{list.key, c.stored}});
            HWND panel = Open();
            HWND combo = ::GetDlgItem(panel, list.combo);
            std::vector<std::string> items{list.first};
            items.insert(items.end(), c.names.begin(), c.names.end());
            std::string label = std::string(list.key) + " '" + c.stored + "'";
            EXPECT_EQ(ComboItems(combo), items) << label;
            EXPECT_EQ(::SendMessageA(combo, CB_GETCURSEL, 0, 0), c.shown) << label;
            EXPECT_EQ(::IsWindowEnabled(combo) != FALSE, c.enabled) << label;
            if (c.choose >= 0)
                ::SendMessageA(combo, CB_SETCURSEL, (WPARAM)c.choose, 0);
            ASSERT_TRUE(PressOK()) << label;
            EXPECT_EQ(SettingText(list.key), c.storedBack) << label;
        }
    }
}

TEST_F(AudioDeviceDialogTest, ModeSwitchTakesTheValuesOfTheModeItLeaves)
{
    HWND panel = Open();
    // 0.7 s is too long for waveOut: the switch is refused and waveOut stays checked.
    ::SetDlgItemTextA(panel, IDC_PLAYBACK_BUFFER, "0.7");
    Click(panel, IDC_DIRECTSOUND_MODE);
    ASSERT_EQ(messages, std::vector<std::string>{"Please enter a number between 0.1 and 0.5."});
    EXPECT_EQ(::IsDlgButtonChecked(panel, IDC_WAVEOUT_MODE), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(panel, IDC_DIRECTSOUND_MODE), BST_UNCHECKED);
    EXPECT_EQ(dialog->WavePanel()->CurrentMode(), WaveDeviceSettingsPanel::kWaveOut);

    ::SetDlgItemTextA(panel, IDC_PLAYBACK_BUFFER, "0.3");
    ::SendDlgItemMessageA(panel, IDC_PLAYBACK_DEVICE, CB_SETCURSEL, 2, 0);
    Click(panel, IDC_DIRECTSOUND_MODE);
    EXPECT_EQ(dialog->WavePanel()->CurrentMode(), WaveDeviceSettingsPanel::kDirectSound);
    EXPECT_EQ(ComboItems(::GetDlgItem(panel, IDC_PLAYBACK_DEVICE)),
              (std::vector<std::string>{"Primary Sound Driver", "Speakers (Card A)"}));
    EXPECT_EQ(Text(panel, IDC_PLAYBACK_BUFFER), "0.5");
    EXPECT_EQ(Text(panel, IDC_PLAYBACK_BUFFER_RANGE), "Sec (0.1 to 2.0)");
    for (int id : {IDC_BUFFER_COUNT_LABEL, IDC_BUFFER_COUNT, IDC_BUFFER_COUNT_RANGE})
        EXPECT_FALSE(Visible(panel, id));
    ::SetDlgItemTextA(panel, IDC_PLAYBACK_BUFFER, "1.5");

    // Back to waveOut: its values were kept; forward again, DirectSound's too.
    Click(panel, IDC_WAVEOUT_MODE);
    EXPECT_EQ(Text(panel, IDC_PLAYBACK_BUFFER), "0.3");
    EXPECT_EQ(::SendDlgItemMessageA(panel, IDC_PLAYBACK_DEVICE, CB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(Visible(panel, IDC_BUFFER_COUNT));
    Click(panel, IDC_DIRECTSOUND_MODE);
    EXPECT_EQ(Text(panel, IDC_PLAYBACK_BUFFER), "1.5");

    ASSERT_TRUE(PressOK());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(Setting("DirectSoundUse"), 1);
    EXPECT_EQ(Setting("DirectSoundBufferLength"), 1500);
    EXPECT_EQ(SettingText("DirectSoundDevice"), "");
    EXPECT_EQ(Setting("WaveOutBufferLength"), 300);
    EXPECT_EQ(SettingText("WaveOutDevice"), "Line Out (Card B)");
}

using settingstest::ModalScript;

TEST_F(AudioDeviceDialogTest, ModalRunEndsWithOKAfterSavingAndCancelWritesNothing)
{
    const struct {
        int button;
        int result;
        int storedOffset;
    } cases[] = {
        {IDOK, IDOK, 250},
        {IDCANCEL, IDCANCEL, -12345},
    };
    for (const auto& c : cases) {
        SettingsTestRoot caseRoot;
        AudioDeviceDialog modal(nullptr, devices);
        ModalScript script([&]() {
            HWND hwnd = modal.m_hWnd;
            if (!hwnd || !::IsWindowVisible(hwnd) || !modal.WavePanel())
                return false;
            ::SetDlgItemTextA(modal.WavePanel()->m_hWnd, IDC_RECORDING_OFFSET, "250");
            ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), (LPARAM)::GetDlgItem(hwnd, c.button));
            return true;
        });
        EXPECT_EQ(modal.DoModal(), c.result);
        EXPECT_EQ(Setting("WaveInOffset"), c.storedOffset);
        EXPECT_EQ(Setting("WaveOutBufferLength"), c.button == IDOK ? 200 : -12345);
    }
}

TEST(AudioDeviceLists, EngineListsAreEmptyOnAMachineWithoutSoundDevices)
{
    if (::waveOutGetNumDevs() || ::waveInGetNumDevs())
        GTEST_SKIP() << "this machine has sound devices";
    for (LONG kind : {0, 1})
        EXPECT_TRUE(EngineDeviceLists().PlaybackNames(kind).empty()) << kind;
    EXPECT_TRUE(EngineDeviceLists().RecordingNames().empty());
}

// For a look at the dialog on a display: KV_SHOW_DIALOG_SECONDS=n keeps it up for n seconds, with
// the machine's own device lists.
TEST(AudioDeviceDialogOnScreen, StaysUpWhenAsked)
{
    char value[16] = "";
    if (!::GetEnvironmentVariableA("KV_SHOW_DIALOG_SECONDS", value, (DWORD)sizeof value))
        GTEST_SKIP() << "KV_SHOW_DIALOG_SECONDS is not set";
    SettingsTestRoot root;
    AudioDeviceDialog dialog;
    DWORD until = ::GetTickCount() + (DWORD)atoi(value) * 1000;
    ModalScript script(
        [&]() {
            if (!dialog.m_hWnd || ::GetTickCount() < until)
                return false;
            ::PostMessageA(dialog.m_hWnd, WM_COMMAND, IDCANCEL, 0);
            return true;
        },
        atoi(value) * 50 + 250);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(AudioDeviceCommand, TheEngineIsSuspendedExactlyWhileTheDialogIsOpen)
{
    for (int button : {IDCANCEL, IDOK}) {
        SettingsTestRoot root;
        SetSettingInt(kSettingsSection, "AsioUse", 1);
        std::vector<std::string> events;
        ModalScript script([&]() {
            HWND dialog = ::FindWindowA(nullptr, "Audio Device Settings");
            if (!dialog || !::IsWindowVisible(dialog))
                return false;
            events.push_back("shown");
            settingstest::Press(dialog, button);
            return true;
        });
        AudioDeviceRun run = RunAudioDeviceSettings([&](LONG suspend) {
            bool open = ::FindWindowA(nullptr, "Audio Device Settings") != nullptr;
            events.push_back(std::string(suspend ? "suspend" : "resume") + (open ? " open" : " closed"));
        });
        EXPECT_EQ(events, (std::vector<std::string>{"suspend closed", "shown", "resume closed"}));
        EXPECT_EQ(run.result, button);
        EXPECT_EQ(run.asioUse, button == IDOK ? 1 : 0);
    }
}
