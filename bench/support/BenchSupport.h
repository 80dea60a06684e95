// What the benchmark programs share: a failed call ends the run with its code; timed runs
// print their median, fastest and slowest.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

inline void Check(HRESULT hr, const char* what)
{
    if (FAILED(hr)) {
        std::fprintf(stderr, "%s failed: 0x%08lX\n", what, static_cast<unsigned long>(hr));
        std::exit(1);
    }
}

// Processor time of the whole process (every thread), in seconds: on a loaded machine it
// tells what a run cost apart from how long it waited for a processor. userOnly leaves out the
// time in the system (the file system's copies and the page cache).
inline double ProcessCpuSeconds(bool userOnly = false)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    auto seconds = [](const FILETIME& t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return (userOnly ? 0.0 : seconds(kernel)) + seconds(user);
}

inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// One warm-up run, then `runs` timed ones; drawing is flushed inside each.
template <typename F>
void Time(const char* what, int runs, F&& once)
{
    once();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        once();
        GdiFlush();
        QueryPerformanceCounter(&b);
        times.push_back(Milliseconds(a, b));
    }
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %.3f ms   fastest %.3f ms   slowest %.3f ms   (%d runs)\n", what, times[times.size() / 2],
                times.front(), times.back(), runs);
}
