#include <gtest/gtest.h>

#include "RegistryKey.h"
#include "Settings.h"
#include "SettingsTestRoot.h"

#include <cstring>

TEST(Settings, MissingEntriesYieldTheCallersDefault)
{
    SettingsTestRoot root;
    std::string text = "previous";
    EXPECT_EQ(GetSettingString("Settings", "Nothing", nullptr, &text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(GetSettingString("NoSection", "Nothing", "fallback", &text), 8);
    EXPECT_EQ(text, "fallback");
    EXPECT_EQ(GetSettingInt("NoSection", "Nothing", -7), -7);
    EXPECT_EQ(SetSettingString("NoSection", "Nothing", nullptr), 0) << "deleting from a missing section";
    EXPECT_EQ(SetSettingString("NoSection", nullptr, nullptr), 0);
    SetSettingInt("", "AtTheRoot", 1);
    EXPECT_EQ(SetSettingString("", nullptr, nullptr), 0) << "the root itself is never deleted";
    EXPECT_EQ(GetSettingInt("", "AtTheRoot", 0), 1);
}

TEST(Settings, WrittenValuesReadBack)
{
    SettingsTestRoot root;
    ASSERT_EQ(SetSettingInt("Settings", "Unit", -5), 1);
    EXPECT_EQ(GetSettingInt("Settings", "Unit", 0), -5);
    ASSERT_EQ(SetSettingString("Settings", "LastSaveDir", "C:\\Work"), 1);
    std::string text;
    EXPECT_EQ(GetSettingString("Settings", "LastSaveDir", "", &text), 7);
    EXPECT_EQ(text, "C:\\Work");
    ASSERT_EQ(SetSettingString("Settings", "Empty", ""), 1);
    EXPECT_EQ(GetSettingString("Settings", "Empty", "default", &text), 0) << "a stored empty text is a value";
}

TEST(Settings, StringsReadBackWithTheirExactLength)
{
    SettingsTestRoot root;
    ASSERT_EQ(SetSettingString("Settings", "Position", "1:2:3"), 1);
    std::string text;
    EXPECT_EQ(GetSettingString("Settings", "Position", "", &text), 5);
    EXPECT_EQ(text, "1:2:3");
    // A value stored with its end mark and trailing bytes is cut at the first zero.
    RegistryKey key;
    ASSERT_EQ(key.Open("Settings"), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.UserKey(), "Padded", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab\0cd"), 6),
              ERROR_SUCCESS);
    ASSERT_EQ(key.QueryString("Padded", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, "ab");
}

TEST(Settings, MachineValueServesUntilTheUserWritesOne)
{
    SettingsTestRoot root;
    DWORD machineNumber = 48000;
    ASSERT_TRUE(root.SetMachineValue("Settings", "DefaultSamplesPerSec", REG_DWORD, &machineNumber, 4));
    ASSERT_TRUE(root.SetMachineValue("Settings", "WaveOutDevice", REG_SZ, "Machine", 8));
    std::string text;
    EXPECT_EQ(GetSettingInt("Settings", "DefaultSamplesPerSec", 44100), 48000) << "section only under the machine";
    GetSettingString("Settings", "WaveOutDevice", "", &text);
    EXPECT_EQ(text, "Machine");

    ASSERT_EQ(SetSettingInt("Settings", "DefaultSamplesPerSec", 96000), 1);
    EXPECT_EQ(GetSettingInt("Settings", "DefaultSamplesPerSec", 44100), 96000);
    ASSERT_EQ(SetSettingString("Settings", "DefaultSamplesPerSec", nullptr), 1) << "user value deleted";
    EXPECT_EQ(GetSettingInt("Settings", "DefaultSamplesPerSec", 44100), 48000) << "machine value again";
}

// A user value too large for the caller's buffer is reported as such; the machine's value of
// the same name must not stand in for it.
TEST(Settings, RawReadOfALargeUserValueDoesNotFallBackToTheMachine)
{
    SettingsTestRoot root;
    ASSERT_TRUE(root.SetMachineValue("Settings", "Raw", REG_BINARY, "mm", 2));
    RegistryKey key;
    char buffer[4] = {};
    DWORD bytes = sizeof(buffer);
    ASSERT_EQ(key.Open("Settings"), ERROR_SUCCESS);
    EXPECT_EQ(key.QueryValue("Raw", buffer, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, 2u) << "only the machine holds it";

    ASSERT_EQ(key.Create("Settings"), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.UserKey(), "Raw", 0, REG_BINARY, reinterpret_cast<const BYTE*>("userdata"), 8),
              ERROR_SUCCESS);
    bytes = sizeof(buffer);
    EXPECT_EQ(key.QueryValue("Raw", buffer, &bytes), ERROR_MORE_DATA);
    EXPECT_EQ(bytes, 8u) << "the size the user's value needs";
    char large[16] = {};
    bytes = sizeof(large);
    EXPECT_EQ(key.QueryValue("Raw", large, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(std::string(large, bytes), "userdata");
}

TEST(Settings, EntriesOfAnotherTypeGiveTheDefault)
{
    SettingsTestRoot root;
    ASSERT_EQ(SetSettingInt("Settings", "TempPath", 12), 1);
    ASSERT_EQ(SetSettingString("Settings", "Unit", "12"), 1);
    std::string text = "previous";
    GetSettingString("Settings", "TempPath", "default", &text);
    EXPECT_EQ(text, "default");
    EXPECT_EQ(GetSettingInt("Settings", "Unit", 3), 3);
}

TEST(Settings, NullValueAndEntryDeleteTheUsersSection)
{
    SettingsTestRoot root;
    SetSettingInt("Effecters", "A", 1);
    EXPECT_EQ(SetSettingString("Effecters", nullptr, nullptr), 1);
    EXPECT_EQ(GetSettingInt("Effecters", "A", 9), 9);
    RegistryKey key;
    EXPECT_NE(key.Open("Effecters"), ERROR_SUCCESS);
}

TEST(Settings, EnumeratesValuesOfEachHive)
{
    SettingsTestRoot root;
    SetSettingString("Last File List", "File0", "a.kvs,0,0");
    SetSettingString("Last File List", "File1", "b.kvs,0,0");
    DWORD one = 1;
    ASSERT_TRUE(root.SetMachineValue("Last File List", "Machine", REG_DWORD, &one, 4));
    RegistryKey key;
    ASSERT_EQ(key.Open("Last File List"), ERROR_SUCCESS);
    auto count = [&](bool machine) {
        int n = 0;
        char name[64];
        DWORD length = sizeof(name);
        DWORD type = 0;
        while (key.EnumValue(machine, n, name, &length, &type) == ERROR_SUCCESS) {
            ++n;
            length = sizeof(name);
        }
        return n;
    };
    EXPECT_EQ(count(false), 2);
    EXPECT_EQ(count(true), 1);
}

TEST(Settings, RawBufferIsBoundedAndAlwaysEnded)
{
    SettingsTestRoot root;
    SetSettingString("Settings", "HelpPath", "C:\\Help");
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(GetSettingBuffer("Settings", "HelpPath", "", buffer, sizeof(buffer)), 7);
    EXPECT_STREQ(buffer, "C:\\Help");
    char small[4];
    EXPECT_EQ(GetSettingBuffer("Settings", "HelpPath", "dflt", small, sizeof(small)), 3)
        << "a value that does not fit gives the default, cut to the buffer";
    EXPECT_STREQ(small, "dfl");
    EXPECT_EQ(GetSettingBuffer("Settings", "Missing", nullptr, small, sizeof(small)), 0);
    EXPECT_STREQ(small, "");
}

TEST(Settings, TableKnowsEveryEntryWithItsDefault)
{
    SettingsTestRoot root;
    ASSERT_NE(FindSetting("unit"), nullptr);
    EXPECT_EQ(FindSetting("Unit")->number, 0x80101);
    EXPECT_EQ(FindSetting("Nonsense"), nullptr);
    EXPECT_EQ(GetSettingIntDefault("AnalizeAmpRangeLow"), -130);
    EXPECT_EQ(GetSettingIntDefault("PreBufferLength"), 131072);
    std::string text;
    GetSettingStringDefault("LabelWndHeaderWidth", &text);
    EXPECT_EQ(text, "150:60:50:50:50");
    SetSettingString("Settings", "UnitFrames", "25.00");
    GetSettingStringDefault("UnitFrames", &text);
    EXPECT_EQ(text, "25.00");
}

namespace {

bool KeyExists(HKEY hive, const std::string& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// A process of this program that never runs a test: its id is taken until the handle closes.
PROCESS_INFORMATION StartSuspended()
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = std::string("\"") + self + "\" --gtest_list_tests";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(::CreateProcessA(self, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                                 &startup, &process));
    return process;
}

} // namespace

// A test process's key goes with its last root; the next root made removes the whole keys that
// ended processes left (as a killed test leaves them) and keeps those of running processes.
TEST(SettingsTestRoot, RemovesItsProcessKeyAndTheKeysOfEndedProcesses)
{
    PROCESS_INFORMATION running = StartSuspended(), ended = StartSuspended();
    ASSERT_NE(nullptr, running.hProcess);
    ASSERT_NE(nullptr, ended.hProcess);
    ::TerminateProcess(ended.hProcess, 1);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(ended.hProcess, 10000));
    const HKEY hives[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    const std::string runningKey = SettingsTestRoot::ProcessKey(running.dwProcessId),
                      endedKey = SettingsTestRoot::ProcessKey(ended.dwProcessId),
                      ownKey = SettingsTestRoot::ProcessKey(::GetCurrentProcessId());
    for (HKEY hive : hives)
        for (const std::string& key : {runningKey, endedKey}) {
            HKEY section = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(hive, (key + "\\Killed.Test\\Settings").c_str(), 0, nullptr, 0,
                                                       KEY_WRITE, nullptr, &section, nullptr));
            const DWORD value = 1;
            ::RegSetValueExA(section, "Left", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
            ::RegCloseKey(section);
        }

    {
        SettingsTestRoot root;
        SetSettingInt("Settings", "Written", 7);
        for (HKEY hive : hives) {
            EXPECT_TRUE(KeyExists(hive, ownKey));
            EXPECT_TRUE(KeyExists(hive, runningKey));
            EXPECT_FALSE(KeyExists(hive, endedKey));
        }
    }
    for (HKEY hive : hives)
        EXPECT_FALSE(KeyExists(hive, ownKey));

    ::TerminateProcess(running.hProcess, 1);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(running.hProcess, 10000));
    { SettingsTestRoot root; }
    for (HKEY hive : hives)
        EXPECT_FALSE(KeyExists(hive, runningKey));
    for (PROCESS_INFORMATION* p : {&running, &ended}) {
        ::CloseHandle(p->hThread);
        ::CloseHandle(p->hProcess);
    }
}
