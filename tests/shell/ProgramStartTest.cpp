#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

namespace {

struct FoundWindow {
    DWORD pid;
    HWND wnd;
};

BOOL CALLBACK FindFrameOfProcess(HWND wnd, LPARAM lp)
{
    auto* found = reinterpret_cast<FoundWindow*>(lp);
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    // The frame counts once it shows: it exists a moment before ShowWindow.
    if (pid == found->pid && lstrcmpA(cls, "KorvaneSound FrameWnd") == 0 && IsWindowVisible(wnd)) {
        found->wnd = wnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TEST(ProgramStart, MainFrameAppearsAndClosesCleanly)
{
    std::string exe = kvtest::BinFolder() + "KvSound5EU.exe";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << "cannot start " << exe;

    FoundWindow found = {pi.dwProcessId, nullptr};
    for (int i = 0; i < 300 && !found.wnd; ++i) {
        EnumWindows(FindFrameOfProcess, reinterpret_cast<LPARAM>(&found));
        if (!found.wnd)
            Sleep(50);
    }
    ASSERT_NE(found.wnd, nullptr) << "no visible main frame window";

    PostMessageA(found.wnd, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0) << "program did not exit";
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
