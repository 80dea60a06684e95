// Gives a test its own settings root (user and machine hive), removed with everything under
// it when the test ends, so tests neither see nor disturb real settings or each other.
#pragma once
#include "RegistryKey.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

class SettingsTestRoot {
public:
    SettingsTestRoot()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root = std::string("Software\\Korvane\\KvCoreTests\\") + std::to_string(::GetCurrentProcessId()) + "\\" +
                 (info ? std::string(info->test_suite_name()) + "." + info->name() : "suite");
        SetSettingsRoot(m_root.c_str());
    }
    ~SettingsTestRoot()
    {
        SetSettingsRoot(nullptr);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_root.c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, m_root.c_str());
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_root.c_str());
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_root.c_str());
        // The shared parents stay: removing one while another test program creates its own
        // root under it makes that creation fail.
    }
    SettingsTestRoot(const SettingsTestRoot&) = delete;
    SettingsTestRoot& operator=(const SettingsTestRoot&) = delete;

    const std::string& Root() const { return m_root; }
    // Writes a value under the machine hive, as an installer would.
    bool SetMachineValue(const char* section, const char* name, DWORD type, const void* data, DWORD bytes)
    {
        std::string path = m_root + (section && *section ? std::string("\\") + section : std::string());
        HKEY key = nullptr;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return false;
        LONG result = ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
        ::RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

private:
    std::string m_root;
};
