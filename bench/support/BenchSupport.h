// What the benchmark programs share: a failed call ends the run with its code.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstdlib>

inline void Check(HRESULT hr, const char* what)
{
    if (FAILED(hr)) {
        std::fprintf(stderr, "%s failed: 0x%08lX\n", what, static_cast<unsigned long>(hr));
        std::exit(1);
    }
}
