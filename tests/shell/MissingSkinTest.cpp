#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

struct Box {
    DWORD pid;
    std::vector<HWND> found;
};

// Dialog-class windows (message boxes) of one process.
BOOL CALLBACK CollectBoxes(HWND wnd, LPARAM lp)
{
    auto* box = reinterpret_cast<Box*>(lp);
    char cls[16] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == box->pid && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(wnd))
        box->found.push_back(wnd);
    return TRUE;
}

// The text of the box's static control that holds its message.
std::string BoxText(HWND box)
{
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        char buffer[1024] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        if (lstrcmpiA(cls, "Static") == 0 && lstrlenA(buffer) > static_cast<int>(text.size()))
            text = buffer;
    }
    return text;
}

} // namespace

// A copy of the program beside an images folder that lacks its images stops at start-up with
// one box naming the first missing file, and shows no main window.
TEST(ProgramStart, AMissingSkinImageEndsTheStartWithOneBoxNamingIt)
{
    kvtest::ScratchFolder scratch;
    const std::string bin = scratch.File("bin\\");
    const std::string images = scratch.File("images\\");
    ASSERT_TRUE(CreateDirectoryA(bin.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(images.c_str(), nullptr));
    const std::string exe = bin + "KvSound5EU.exe";
    ASSERT_TRUE(CopyFileA((kvtest::BinFolder() + "KvSound5EU.exe").c_str(), exe.c_str(), FALSE));

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, bin.c_str(), &si, &pi));

    Box box = {pi.dwProcessId, {}};
    for (int i = 0; i < 300 && box.found.empty(); ++i) {
        EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&box));
        if (box.found.empty())
            Sleep(50);
    }
    std::string text;
    if (!box.found.empty()) {
        text = BoxText(box.found.front());
        Sleep(200); // a second box would be up by now
        box.found.clear();
        EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&box));
        PostMessageA(box.found.empty() ? nullptr : box.found.front(), WM_COMMAND, IDOK, 0);
    }
    const bool exited = WaitForSingleObject(pi.hProcess, 15000) == WAIT_OBJECT_0;
    if (!exited)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    ASSERT_FALSE(text.empty()) << "no box named the missing image";
    EXPECT_EQ(box.found.size(), 1u) << "one box, for the first missing image only";
    const std::string prefix = "ImageFile Not Found:\n";
    EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    EXPECT_NE(text.find("images\\"), std::string::npos) << text;
    EXPECT_TRUE(exited) << "the program went on after its box";

    DeleteFileA(exe.c_str());
    RemoveDirectoryA(bin.c_str());
    RemoveDirectoryA(images.c_str());
}
