#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace kvtest {

std::string BinFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

unsigned EnvNumber(const char* name, unsigned otherwise)
{
    const char* v = std::getenv(name);
    return v ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : otherwise;
}

std::vector<std::string> ExportedNames(HMODULE module)
{
    std::vector<std::string> names;
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!dir.VirtualAddress)
        return names;
    auto* exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto* nameRvas = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
    for (DWORD i = 0; i < exp->NumberOfNames; ++i)
        names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    return names;
}

namespace {
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full + "\\");
            else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}
} // namespace

ScratchFolder::ScratchFolder()
{
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    static LONG counter = 0;
    // Process ids come round again (each run starts a new Wine server): a folder a killed
    // program left under this name holds its files, so the name is taken only when it is new.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[64];
        snprintf(name, sizeof name, "kvtest-%lu-%ld\\", GetCurrentProcessId(), InterlockedIncrement(&counter));
        path_ = std::string(tmp) + name;
        if (CreateDirectoryA(path_.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(path_);
}

namespace {
constexpr const char* kChildKillVariable = "KV_CHILD_KILL";

DWORD WINAPI EndWhenTold(void* parameter)
{
    auto* order = static_cast<std::pair<HANDLE, UINT>*>(parameter);
    WaitForSingleObject(order->first, INFINITE);
    TerminateProcess(GetCurrentProcess(), order->second);
    return 0;
}
} // namespace

ChildKill::ChildKill(UINT killedCode) : m_code(killedCode)
{
    static LONG counter = 0;
    m_name =
        "kvchildkill-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&counter));
    m_event = CreateEventA(nullptr, TRUE, FALSE, m_name.c_str());
}

ChildKill::~ChildKill()
{
    CloseHandle(m_event);
}

void ChildKill::Arm()
{
    ResetEvent(m_event);
    SetEnvironmentVariableA(kChildKillVariable, (m_name + "|" + std::to_string(m_code)).c_str());
}

void ChildKill::Disarm()
{
    SetEnvironmentVariableA(kChildKillVariable, nullptr);
}

void ChildKill::Now(HANDLE process)
{
    SetEvent(m_event);
    if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0)
        TerminateProcess(process, m_code);
    WaitForSingleObject(process, 60000);
}

void WatchForChildKill()
{
    char order[128] = {};
    const DWORD length = GetEnvironmentVariableA(kChildKillVariable, order, sizeof order);
    if (!length || length >= sizeof order)
        return;
    SetEnvironmentVariableA(kChildKillVariable, nullptr); // not for the child's own children
    const std::string text(order);
    const size_t bar = text.find('|');
    if (bar == std::string::npos)
        return;
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, text.substr(0, bar).c_str());
    if (!event)
        return;
    // Lives as long as the process.
    auto* watch =
        new std::pair<HANDLE, UINT>(event, static_cast<UINT>(std::strtoul(text.c_str() + bar + 1, nullptr, 10)));
    if (HANDLE thread = CreateThread(nullptr, 0, EndWhenTold, watch, 0, nullptr))
        CloseHandle(thread);
}

bool KillChildAtEvent(const std::string& exeName, const std::string& test, const char* variable,
                      const std::string& value, HANDLE midway, UINT killedCode, DWORD* code)
{
    *code = 0;
    SetEnvironmentVariableA(variable, value.c_str());
    const std::string exe = BinFolder() + exeName;
    std::string command = "\"" + exe + "\" --gtest_filter=" + test + " --gtest_also_run_disabled_tests";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ChildKill kill(killedCode);
    kill.Arm();
    // A busy machine can refuse a start for a moment.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        if (!started)
            Sleep(200);
    }
    kill.Disarm();
    SetEnvironmentVariableA(variable, nullptr);
    if (!started)
        return false;
    HANDLE waits[] = {midway, pi.hProcess};
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 120000);
    if (woke == WAIT_OBJECT_0)
        kill.Now(pi.hProcess);
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return woke == WAIT_OBJECT_0;
}

} // namespace kvtest
