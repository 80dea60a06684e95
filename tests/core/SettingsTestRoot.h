// Gives a test its own settings root (user and machine hive), removed with everything under
// it when the test ends, so tests neither see nor disturb real settings or each other. The
// roots of one test process lie under a key named by its process id, which goes with the
// process's last root; a process killed in a test leaves its key whole, and the next root any
// test process makes removes the keys of processes that have ended.
#pragma once
#include "RegistryKey.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

class SettingsTestRoot {
public:
    static constexpr const char* kParent = "Software\\Korvane\\KvCoreTests";

    SettingsTestRoot()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root = ProcessKey(::GetCurrentProcessId()) + "\\" +
                 (info ? std::string(info->test_suite_name()) + "." + info->name() : "suite");
        {
            // Made under the lock, the root exists only while its process runs: a sweep never
            // sees it under an ended process's id that a new process has taken over.
            Lock lock;
            RemoveKeysOfEndedProcesses();
            for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
                HKEY key = nullptr;
                if (::RegCreateKeyExA(hive, m_root.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
                    ERROR_SUCCESS)
                    ::RegCloseKey(key);
            }
        }
        SetSettingsRoot(m_root.c_str());
    }
    ~SettingsTestRoot()
    {
        SetSettingsRoot(nullptr);
        const std::string process = ProcessKey(::GetCurrentProcessId());
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            ::RegDeleteTreeA(hive, m_root.c_str());
            ::RegDeleteKeyA(hive, m_root.c_str());
            // Fails while another root of this process is under it. The shared parent stays:
            // removing it while another test program creates its own root under it makes that
            // creation fail.
            ::RegDeleteKeyA(hive, process.c_str());
        }
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

    static std::string ProcessKey(DWORD processId) { return std::string(kParent) + "\\" + std::to_string(processId); }

private:
    // Serialises making roots with sweeping, across the test processes of the prefix.
    class Lock {
    public:
        Lock() : m_mutex(::CreateMutexA(nullptr, FALSE, "KvCoreTestsSettingsRoots"))
        {
            if (m_mutex)
                ::WaitForSingleObject(m_mutex, INFINITE); // an abandoned lock is taken over
        }
        ~Lock()
        {
            if (m_mutex) {
                ::ReleaseMutex(m_mutex);
                ::CloseHandle(m_mutex);
            }
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        HANDLE m_mutex;
    };

    // A process that cannot be asked about counts as running.
    static bool ProcessRuns(DWORD processId)
    {
        HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
        if (!process)
            return ::GetLastError() != ERROR_INVALID_PARAMETER;
        const bool runs = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        ::CloseHandle(process);
        return runs;
    }

    static void RemoveKeysOfEndedProcesses()
    {
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            HKEY parent = nullptr;
            if (::RegOpenKeyExA(hive, kParent, 0, KEY_READ, &parent) != ERROR_SUCCESS)
                continue;
            std::vector<std::string> ended;
            char name[256];
            for (DWORD i = 0;; ++i) {
                DWORD length = sizeof name;
                if (::RegEnumKeyExA(parent, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                    break;
                bool digits = length > 0 && length < 11;
                for (DWORD c = 0; c < length && digits; ++c)
                    digits = std::isdigit(static_cast<unsigned char>(name[c])) != 0;
                if (digits && !ProcessRuns(static_cast<DWORD>(std::stoull(name))))
                    ended.push_back(name);
            }
            ::RegCloseKey(parent);
            for (const std::string& key : ended) {
                const std::string path = std::string(kParent) + "\\" + key;
                ::RegDeleteTreeA(hive, path.c_str());
                ::RegDeleteKeyA(hive, path.c_str());
            }
        }
    }

    std::string m_root;
};
