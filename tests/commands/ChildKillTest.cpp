// The kill the journal kill tests rely on: once the child is reported ended, none of its writes
// lands any more. Ended from outside, Wine reports the child ended while its write in progress
// goes on; the big writes here keep one in progress at nearly every moment.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

using namespace kvtest;

namespace {

constexpr const char* kChildVariable = "KV_CHILD_KILL_WRITES";
constexpr UINT kKilledCode = 78;

ULONGLONG FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

// Run only as the child of the test below: appends big blocks to the file it is given until it
// is ended, after setting the ready event once the first block is in.
TEST(ChildKillChild, DISABLED_WritesUntilKilled)
{
    char order[MAX_PATH * 2] = {};
    ASSERT_NE(GetEnvironmentVariableA(kChildVariable, order, sizeof order), 0u) << "started only by ChildKill";
    const std::string text(order);
    const size_t bar = text.find('|');
    HANDLE file = CreateFileA(text.substr(0, bar).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::vector<char> block(16 << 20, 'k');
    for (int written = 0;; ++written) {
        DWORD done = 0;
        ASSERT_TRUE(WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &done, nullptr));
        if (written == 0) {
            HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, text.substr(bar + 1).c_str());
            ASSERT_NE(ready, nullptr);
            SetEvent(ready);
            CloseHandle(ready);
        }
    }
}

TEST(ChildKill, NoWriteOfTheChildLandsAfterItIsReportedEnded)
{
    ScratchFolder folder;
    const std::string readyName = "kvchildkillready-" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    ASSERT_NE(ready, nullptr);
    const std::string exe = BinFolder() + "commands_tests.exe";
    ChildKill ender(kKilledCode);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string path = folder.File("blocks" + std::to_string(round) + ".bin");
        SetEnvironmentVariableA(kChildVariable, (path + "|" + readyName).c_str());
        std::string command =
            "\"" + exe + "\" --gtest_filter=ChildKillChild.DISABLED_WritesUntilKilled --gtest_also_run_disabled_tests";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ResetEvent(ready);
        ender.Arm();
        const BOOL started =
            CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        ender.Disarm();
        SetEnvironmentVariableA(kChildVariable, nullptr);
        ASSERT_TRUE(started);
        HANDLE waits[] = {ready, pi.hProcess};
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 60000);
        if (woke == WAIT_OBJECT_0) {
            Sleep(20 + 30 * round); // a few blocks further on
            ender.Now(pi.hProcess);
        }
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_EQ(woke, WAIT_OBJECT_0) << "the child did not get ready; exit code " << code;
        ASSERT_EQ(code, kKilledCode);

        // A block still on its way takes a few milliseconds to land; a quarter second is ample.
        const ULONGLONG atEnd = FileSize(path);
        Sleep(250);
        EXPECT_EQ(FileSize(path), atEnd) << "the child wrote after it was reported ended";
    }
    CloseHandle(ready);
}
