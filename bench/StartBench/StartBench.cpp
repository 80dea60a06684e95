// Prints, over several runs: milliseconds from CreateProcess to the program's main frame being
// visible with the program idle, and milliseconds a second start takes to hand its file to the
// running copy and end. Run it from the bin folder under Wine: start_bench.exe [runs]
#include <windows.h>

#include "WavFile.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Folder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1);
}

struct Found {
    DWORD pid;
    HWND frame;
};

BOOL CALLBACK FindFrame(HWND wnd, LPARAM lp)
{
    auto* found = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (pid == found->pid && IsWindowVisible(wnd) && lstrcmpA(cls, "KorvaneSound FrameWnd") == 0) {
        found->frame = wnd;
        return FALSE;
    }
    return TRUE;
}

double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER frequency)
{
    return double(b.QuadPart - a.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

bool Start(const std::string& exe, const std::string& arguments, PROCESS_INFORMATION* pi)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    return CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) != FALSE;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const std::string exe = Folder() + "KvSound5EU.exe";
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "start bench file.wav";
    kvtest::WriteWav16(file, 2, 44100, std::vector<int16_t>(2 * 44100, 0));
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> starts, handovers;
    for (int run = 0; run < runs; ++run) {
        LARGE_INTEGER t0, t1, t2, t3;
        PROCESS_INFORMATION first = {};
        QueryPerformanceCounter(&t0);
        if (!Start(exe, "", &first)) {
            fprintf(stderr, "cannot start %s\n", exe.c_str());
            return 1;
        }
        Found found = {first.dwProcessId, nullptr};
        for (int i = 0; i < 3000 && !found.frame; ++i) {
            EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&found));
            if (!found.frame)
                Sleep(5);
        }
        WaitForInputIdle(first.hProcess, 10000);
        QueryPerformanceCounter(&t1);
        if (!found.frame) {
            fprintf(stderr, "no main frame\n");
            TerminateProcess(first.hProcess, 1);
            return 1;
        }
        PROCESS_INFORMATION second = {};
        QueryPerformanceCounter(&t2);
        if (Start(exe, "\"" + file + "\"", &second)) {
            WaitForSingleObject(second.hProcess, 20000);
            QueryPerformanceCounter(&t3);
            CloseHandle(second.hThread);
            CloseHandle(second.hProcess);
            handovers.push_back(Ms(t2, t3, frequency));
        }
        starts.push_back(Ms(t0, t1, frequency));
        PostMessageA(found.frame, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(first.hProcess, 20000) != WAIT_OBJECT_0)
            TerminateProcess(first.hProcess, 1);
        CloseHandle(first.hThread);
        CloseHandle(first.hProcess);
    }
    DeleteFileA(file.c_str());
    printf("start to idle visible main frame: median %.0f ms over %d runs (first %.0f ms)\n", Median(starts), runs,
           starts.front());
    printf("second start handing a file over: median %.0f ms over %zu runs\n", Median(handovers), handovers.size());
    return 0;
}
