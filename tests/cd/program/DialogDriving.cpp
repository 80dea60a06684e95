#include "DialogDriving.h"

#include "ProgramProcess.h"

#include <commctrl.h>

#include <cstdint>

namespace cdtest {

void Pump(DWORD ms)
{
    const DWORD until = GetTickCount() + ms;
    while (GetTickCount() < until) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
}

bool WaitFor(const std::function<bool()>& ready, DWORD ms)
{
    const DWORD until = GetTickCount() + ms;
    while (!ready()) {
        if (GetTickCount() > until)
            return false;
        Pump(50);
    }
    return true;
}

namespace {

// Runs a list request whose item record (and text buffer) must lie in the list's process.
template <class Fn>
bool InListProcess(HWND list, size_t extra, Fn&& fn)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return false;
    auto* remote = static_cast<uint8_t*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + extra, MEM_COMMIT,
                                                        PAGE_READWRITE));
    fn(process, remote);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return true;
}

} // namespace

std::string RemoteListText(HWND list, int row, int column)
{
    char text[256] = {};
    const bool done = InListProcess(list, sizeof text, [&](HANDLE process, uint8_t* remote) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<char*>(remote + sizeof(LVITEMA));
        item.cchTextMax = sizeof text;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + sizeof(LVITEMA), text, sizeof text - 1, nullptr);
    });
    return done ? text : "(no access)";
}

void RemoteSelectRow(HWND list, int row)
{
    InListProcess(list, 0, [&](HANDLE process, uint8_t* remote) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        SendMessageA(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(remote));
        item.state = item.stateMask;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(remote));
    });
}

std::string DescribeBoxes(const kvtest::ProgramProcess& program)
{
    std::string out;
    for (HWND box : program.Boxes()) {
        char title[128] = {};
        GetWindowTextA(box, title, sizeof title);
        out += std::string("[") + title + ": " + kvtest::BoxText(box) + "] ";
    }
    return out;
}

} // namespace cdtest
