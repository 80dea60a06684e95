// Prints, over several runs (medians, with the spread):
// - milliseconds from CreateProcess to the program's main frame being idle: shown with every
//   pane it shows at start, the splash gone, every visible window painted, and its thread
//   answering a message; beside the same for a minimal window program (start_peer.exe),
//   started in turn with it;
// - milliseconds from a second start with a file to that file's window shown in the running copy
//   (and to the second copy's end).
// Each start begins with no documents to reopen. The first pair of starts only warms up and
// counts the panes a finished start shows. Run it from the bin folder under Wine; a second
// program file of the bin folder (an earlier build) is timed in turn with this one, each going
// first in every other run:
//   start_bench.exe [runs] [earlier program file]
#include <windows.h>

#include "WavFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kProgramFrameClass[] = "KorvaneSound FrameWnd";
constexpr char kPeerFrameClass[] = "KvStartPeerFrame";
constexpr char kFileTitle[] = "start bench file";
constexpr DWORD kTimeoutMs = 20000;

std::string Folder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1);
}

// The visible windows of one process: its frame, how many it owns, and any other (the splash).
struct Scan {
    DWORD pid;
    const char* frameClass;
    HWND frame;
    int owned;
    int stray;
};

bool VisibleWindowOf(HWND wnd, DWORD pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(wnd, &owner);
    return owner == pid && IsWindowVisible(wnd);
}

BOOL CALLBACK ScanWindow(HWND wnd, LPARAM lp)
{
    auto* scan = reinterpret_cast<Scan*>(lp);
    if (!VisibleWindowOf(wnd, scan->pid))
        return TRUE;
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (lstrcmpA(cls, scan->frameClass) == 0)
        scan->frame = wnd;
    else if (GetWindow(wnd, GW_OWNER))
        ++scan->owned;
    else
        ++scan->stray;
    return TRUE;
}

Scan ScanProcess(DWORD pid, const char* frameClass)
{
    Scan scan = {pid, frameClass, nullptr, 0, 0};
    EnumWindows(ScanWindow, reinterpret_cast<LPARAM>(&scan));
    return scan;
}

bool Answers(HWND wnd)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &result) != 0;
}

// Whether a visible window of the process still waits for its paint.
struct Unpainted {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindUnpaintedChild(HWND wnd, LPARAM lp)
{
    auto* search = reinterpret_cast<Unpainted*>(lp);
    if (IsWindowVisible(wnd) && GetUpdateRect(wnd, nullptr, FALSE)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindUnpaintedTop(HWND wnd, LPARAM lp)
{
    auto* search = reinterpret_cast<Unpainted*>(lp);
    if (!VisibleWindowOf(wnd, search->pid))
        return TRUE;
    FindUnpaintedChild(wnd, lp);
    if (!search->found)
        EnumChildWindows(wnd, FindUnpaintedChild, lp);
    return search->found ? FALSE : TRUE;
}

bool AllPainted(DWORD pid)
{
    Unpainted search = {pid, false};
    EnumWindows(FindUnpaintedTop, reinterpret_cast<LPARAM>(&search));
    return !search.found;
}

// Polls until the process shows its frame with at least `panes` owned windows and nothing else,
// every visible window of it painted, and its thread answering (a thread answers a message
// before it paints: the paints are looked for again after each answer). The frame, or null
// after the time-out.
HWND WaitUntilIdle(DWORD pid, const char* frameClass, int panes)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kTimeoutMs) {
        Scan scan = ScanProcess(pid, frameClass);
        if (scan.frame && scan.owned >= panes && scan.stray == 0 && AllPainted(pid)) {
            if (!Answers(scan.frame))
                return nullptr;
            if (AllPainted(pid))
                return scan.frame;
        }
        Sleep(1);
    }
    return nullptr;
}

BOOL CALLBACK FindFileWindow(HWND wnd, LPARAM lp)
{
    char text[MAX_PATH] = {};
    GetWindowTextA(wnd, text, sizeof text);
    if (IsWindowVisible(wnd) && strstr(text, kFileTitle)) {
        *reinterpret_cast<HWND*>(lp) = wnd;
        return FALSE;
    }
    return TRUE;
}

// Polls the running copy's frame for a visible window titled with the bench's file.
bool WaitForFileWindow(HWND frame)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kTimeoutMs) {
        HWND found = nullptr;
        EnumChildWindows(frame, FindFileWindow, reinterpret_cast<LPARAM>(&found));
        if (found)
            return Answers(frame);
        Sleep(1);
    }
    return false;
}

double Ms(LARGE_INTEGER a, LARGE_INTEGER b)
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return double(b.QuadPart - a.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

bool Start(const std::string& exe, const std::string& arguments, PROCESS_INFORMATION* pi)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    return CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) != FALSE;
}

void Close(PROCESS_INFORMATION* pi, HWND frame)
{
    if (frame)
        PostMessageA(frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi->hProcess, kTimeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(pi->hProcess, 1);
    CloseHandle(pi->hThread);
    CloseHandle(pi->hProcess);
}

// A start with no documents of an earlier run to reopen.
void ForgetLastFiles()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Last File List");
}

struct Figures {
    std::vector<double> values;
    void Add(double ms) { values.push_back(ms); }
    void Print(const char* what) const
    {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty()) {
            printf("  %-48s no figures\n", what);
            return;
        }
        printf("  %-48s median %4.0f ms (%.0f..%.0f)\n", what, sorted[sorted.size() / 2], sorted.front(),
               sorted.back());
    }
};

} // namespace

namespace {

struct ProgramFigures {
    std::string exe;
    Figures starts, handovers, secondEnds;
};

// One start of the program to its idle frame, then a second start handing it the file. False
// when the program shows no idle frame.
bool TimeProgram(ProgramFigures* program, const std::string& file, bool warmUp, int* panes)
{
    ForgetLastFiles();
    PROCESS_INFORMATION pi = {};
    const LARGE_INTEGER t0 = Now();
    if (!Start(program->exe, "", &pi)) {
        fprintf(stderr, "cannot start %s\n", program->exe.c_str());
        return false;
    }
    HWND frame = WaitUntilIdle(pi.dwProcessId, kProgramFrameClass, *panes);
    const LARGE_INTEGER t1 = Now();
    if (!frame) {
        fprintf(stderr, "no idle main frame\n");
        Close(&pi, nullptr);
        return false;
    }
    if (warmUp) {
        // What a finished start shows, once everything has settled.
        Sleep(2000);
        *panes = ScanProcess(pi.dwProcessId, kProgramFrameClass).owned;
    } else {
        program->starts.Add(Ms(t0, t1));
    }

    PROCESS_INFORMATION second = {};
    const LARGE_INTEGER t2 = Now();
    if (Start(program->exe, "\"" + file + "\"", &second)) {
        const bool opened = WaitForFileWindow(frame);
        const LARGE_INTEGER t3 = Now();
        WaitForSingleObject(second.hProcess, kTimeoutMs);
        const LARGE_INTEGER t4 = Now();
        CloseHandle(second.hThread);
        CloseHandle(second.hProcess);
        if (!warmUp) {
            if (opened)
                program->handovers.Add(Ms(t2, t3));
            program->secondEnds.Add(Ms(t2, t4));
        }
    }
    Close(&pi, frame);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    std::vector<ProgramFigures> programs(1);
    programs[0].exe = Folder() + "KvSound5EU.exe";
    if (argc > 2) {
        programs.emplace_back();
        programs[1].exe = Folder() + argv[2];
    }
    const std::string peer = Folder() + "start_peer.exe";
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + kFileTitle + ".wav";
    kvtest::WriteWav16(file, 2, 44100, std::vector<int16_t>(2 * 44100, 0));

    Figures peerStarts;
    int panes = 0;
    for (int run = 0; run <= runs; ++run) {
        const bool warmUp = run == 0;
        PROCESS_INFORMATION pi = {};
        const LARGE_INTEGER t0 = Now();
        if (Start(peer, "", &pi)) {
            HWND frame = WaitUntilIdle(pi.dwProcessId, kPeerFrameClass, 0);
            if (frame && !warmUp)
                peerStarts.Add(Ms(t0, Now()));
            Close(&pi, frame);
        }
        // The programs take turns at going first: the one started right after another finds
        // more of what they share still warm.
        for (size_t k = 0; k < programs.size(); ++k) {
            ProgramFigures& program = programs[run % 2 ? programs.size() - 1 - k : k];
            if (!TimeProgram(&program, file, warmUp, &panes))
                return 1;
        }
    }
    ForgetLastFiles();
    DeleteFileA(file.c_str());
    printf("Start-up over %d runs (after one warm-up; %d panes shown at start):\n", runs, panes);
    peerStarts.Print("minimal window program, start to idle frame:");
    for (const ProgramFigures& program : programs) {
        printf(" %s\n", program.exe.substr(program.exe.rfind('\\') + 1).c_str());
        program.starts.Print("start to idle frame:");
        program.handovers.Print("second start, to the file's window shown:");
        program.secondEnds.Print("second start, to the second copy's end:");
    }
    return 0;
}
