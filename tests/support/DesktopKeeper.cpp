// Keeps a Wine prefix's desktop in use for a whole test run: run it with detached streams once
// the prefix's server is up; it returns once a copy of it holds the desktop (at once when one
// does already), and that copy stays until the server ends.
// Why: the first program to use a desktop starts Wine's desktop process, which lives on while
// any program uses the desktop and holds that first program's error stream all the while, so a
// test run would wait for the stream of a test long over. Started from here, the desktop process
// holds no test's stream, and with the desktop always in use it does not end between tests.
#include <windows.h>

#include <string>

namespace {
constexpr const char* kHoldingEvent = "kvdesktopkeeper-holding";
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command, int)
{
    GetDesktopWindow(); // starts the desktop process when there is none
    HANDLE holding = CreateEventA(nullptr, TRUE, FALSE, kHoldingEvent);
    if (!holding)
        return 1;
    if (lstrcmpA(command, "hold") == 0) {
        SetEvent(holding);
        Sleep(INFINITE);
    }
    if (WaitForSingleObject(holding, 0) == WAIT_OBJECT_0)
        return 0;
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string line = "\"" + std::string(exe) + "\" hold";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &si, &pi))
        return 1;
    HANDLE waits[] = {holding, pi.hProcess};
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 60000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return woke == WAIT_OBJECT_0 ? 0 : 1;
}
