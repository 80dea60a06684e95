// Entry of every test program: each process gets a temporary folder of its own (TMP and TEMP,
// which the modules it loads share), so tests that look at scratch files never see another
// test program's files, and nothing is left behind after the run.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

#include "TestSupport.h"

namespace {

// A program registered in shards has picked its share once its run starts; a test program it
// starts in turn (a kill test's child) must run the test it is given, not a share of it.
class ShardForgetter : public testing::EmptyTestEventListener {
    void OnTestProgramStart(const testing::UnitTest&) override
    {
        SetEnvironmentVariableA("GTEST_TOTAL_SHARDS", nullptr);
        SetEnvironmentVariableA("GTEST_SHARD_INDEX", nullptr);
    }
};

// The program keeps its temporary folder in its settings; a program run by a test leaves it
// naming that test's scratch folder, which every later test program's modules would then share.
void ForgetProgramTempFolder()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Settings", 0, KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, "TempPath");
    RegCloseKey(key);
}

// A test program that crashes under the test run's Wine (its debug output off) says only
// "SegFault": write the code, the thread and the call chain as module+offset, for addr2line.
void WriteLine(const char* text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, DWORD(lstrlenA(text)), &written, nullptr);
}

// A copy of the program still running in the prefix (its test program ended by the run's time
// limit, a bench stopped midway) would take over every start of the program's tests: the new
// copy hands its file to the running one and ends. The tests that start the program hold the
// key, so no copy of theirs runs beside them: any found is a leftover, ended and named.
void EndLeftoverPrograms()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry.szExeFile, 10, "KvSound5EU", 10) != CSTR_EQUAL)
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
        char line[MAX_PATH + 96];
        snprintf(line, sizeof line, "ended a copy of the program left running: %s, process %lu\n", entry.szExeFile,
                 static_cast<unsigned long>(entry.th32ProcessID));
        WriteLine(line);
    }
    CloseHandle(snapshot);
}

void WriteFrame(int index, DWORD64 pc)
{
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(pc), &module))
        GetModuleFileNameA(module, name, sizeof name);
    const char* base = name;
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '/')
            base = c + 1;
    char line[MAX_PATH + 64];
    snprintf(line, sizeof line, "  #%d %s+0x%llx\n", index, base,
             static_cast<unsigned long long>(pc - reinterpret_cast<DWORD64>(module)));
    WriteLine(line);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info)
{
    char line[160];
    snprintf(line, sizeof line, "test program crashed: exception 0x%08lx at %p, thread %lu\n",
             static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode), info->ExceptionRecord->ExceptionAddress,
             static_cast<unsigned long>(GetCurrentThreadId()));
    WriteLine(line);
    CONTEXT context = *info->ContextRecord;
    for (int i = 0; i < 32 && context.Rip; ++i) {
        WriteFrame(i, context.Rip);
        DWORD64 imageBase = 0;
        RUNTIME_FUNCTION* function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (!function) {
            // A leaf function: its return address is on top of the stack.
            context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        void* handlerData = nullptr;
        DWORD64 establisher = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData, &establisher,
                         nullptr);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

int main(int argc, char** argv)
{
    SetUnhandledExceptionFilter(ReportCrash);
    kvtest::WatchForChildKill();
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ShardForgetter);
    kvtest::ScratchFolder temp;
    SetEnvironmentVariableA("TMP", temp.Path().c_str());
    SetEnvironmentVariableA("TEMP", temp.Path().c_str());
    // Only the registered program holds the key; a test program it starts in turn must not
    // clear the value under its parent's running program.
    char owns[4] = {};
    const bool ownsProgramKey = GetEnvironmentVariableA("KV_OWNS_PROGRAM_KEY", owns, sizeof owns) != 0;
    SetEnvironmentVariableA("KV_OWNS_PROGRAM_KEY", nullptr);
    if (ownsProgramKey) {
        EndLeftoverPrograms();
        ForgetProgramTempFolder();
    }
    const int result = RUN_ALL_TESTS();
    if (ownsProgramKey) {
        EndLeftoverPrograms();
        ForgetProgramTempFolder();
    }
    return result;
}
