#include "DialogDriving.h"

#include "ProgramProcess.h"

#include <commctrl.h>
#include <dlgs.h>

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

HWND WaitForBoxTitled(const kvtest::ProgramProcess& program, const std::string& title, DWORD ms)
{
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND box : program.Boxes()) {
                char text[128] = {};
                GetWindowTextA(box, text, sizeof text);
                if (title == text)
                    found = box;
            }
            return found != nullptr;
        },
        ms);
    return found;
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

bool SaveActiveDocumentAs(const kvtest::ProgramProcess& program, HWND frame, UINT command, const std::string& path)
{
    auto fileDialog = [&]() -> HWND {
        for (HWND box : program.Boxes())
            if (GetDlgItem(box, cmb13) || GetDlgItem(box, edt1))
                return box;
        return nullptr;
    };
    PostMessageA(frame, WM_COMMAND, command, 0);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = fileDialog()) != nullptr; }, 15000))
        return false;
    // The file type by the name's extension, as a user picks it in the type list.
    const std::string extension = "*" + path.substr(path.find_last_of('.'));
    HWND types = GetDlgItem(dialog, cmb1);
    const int count = int(SendMessageA(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t wide[512] = {};
        if (SendMessageW(types, CB_GETLBTEXTLEN, i, 0) < LRESULT(sizeof wide / sizeof wide[0]))
            SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
        char text[512] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        if (std::string(text).find(extension) != std::string::npos) {
            SendMessageA(types, CB_SETCURSEL, i, 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
            break;
        }
    }
    HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return WaitFor(
        [&] {
            for (HWND box : program.Boxes())
                if (box != dialog && GetDlgItem(box, IDNO))
                    PostMessageA(box, WM_COMMAND, IDNO, 0);
            DWORD_PTR idle = 0;
            return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES && program.Boxes().empty() &&
                   SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &idle);
        },
        60000);
}

} // namespace cdtest
