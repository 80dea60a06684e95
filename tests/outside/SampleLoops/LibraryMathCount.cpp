#include "LibraryMathCount.h"

#include <atomic>

namespace {

constexpr int kFunctions = 63;
const char* const kNames[kFunctions] = {
    "sin",    "sinf",    "cos",    "cosf",   "tan",     "tanf",     "asin",   "asinf",     "acos",
    "acosf",  "atan",    "atanf",  "exp",    "expf",    "exp2",     "exp2f",  "expm1",     "expm1f",
    "log",    "logf",    "log2",   "log2f",  "log10",   "log10f",   "log1p",  "log1pf",    "sinh",
    "sinhf",  "cosh",    "coshf",  "tanh",   "tanhf",   "cbrt",     "cbrtf",  "nearbyint", "nearbyintf",
    "rint",   "rintf",   "round",  "roundf", "floor",   "floorf",   "ceil",   "ceilf",     "trunc",
    "truncf", "atan2",   "atan2f", "pow",    "powf",    "fmod",     "fmodf",  "hypot",     "hypotf",
    "lround", "lroundf", "lrint",  "lrintf", "llround", "llroundf", "llrint", "llrintf",   "sincos"};
std::atomic<bool> g_open{false};
std::atomic<long> g_calls[kFunctions];

inline void Count(int function)
{
    if (g_open.load(std::memory_order_relaxed))
        g_calls[function].fetch_add(1, std::memory_order_relaxed);
}

} // namespace

// One wrapper per function: counts, then calls the library's own.
#define KV_WRAP1(name, R, T, id)    \
    extern "C" R __real_##name(T);  \
    extern "C" R __wrap_##name(T x) \
    {                               \
        Count(id);                  \
        return __real_##name(x);    \
    }
#define KV_WRAP2(name, T, id)            \
    extern "C" T __real_##name(T, T);    \
    extern "C" T __wrap_##name(T x, T y) \
    {                                    \
        Count(id);                       \
        return __real_##name(x, y);      \
    }

KV_WRAP1(sin, double, double, 0)
KV_WRAP1(sinf, float, float, 1)
KV_WRAP1(cos, double, double, 2)
KV_WRAP1(cosf, float, float, 3)
KV_WRAP1(tan, double, double, 4)
KV_WRAP1(tanf, float, float, 5)
KV_WRAP1(asin, double, double, 6)
KV_WRAP1(asinf, float, float, 7)
KV_WRAP1(acos, double, double, 8)
KV_WRAP1(acosf, float, float, 9)
KV_WRAP1(atan, double, double, 10)
KV_WRAP1(atanf, float, float, 11)
KV_WRAP1(exp, double, double, 12)
KV_WRAP1(expf, float, float, 13)
KV_WRAP1(exp2, double, double, 14)
KV_WRAP1(exp2f, float, float, 15)
KV_WRAP1(expm1, double, double, 16)
KV_WRAP1(expm1f, float, float, 17)
KV_WRAP1(log, double, double, 18)
KV_WRAP1(logf, float, float, 19)
KV_WRAP1(log2, double, double, 20)
KV_WRAP1(log2f, float, float, 21)
KV_WRAP1(log10, double, double, 22)
KV_WRAP1(log10f, float, float, 23)
KV_WRAP1(log1p, double, double, 24)
KV_WRAP1(log1pf, float, float, 25)
KV_WRAP1(sinh, double, double, 26)
KV_WRAP1(sinhf, float, float, 27)
KV_WRAP1(cosh, double, double, 28)
KV_WRAP1(coshf, float, float, 29)
KV_WRAP1(tanh, double, double, 30)
KV_WRAP1(tanhf, float, float, 31)
KV_WRAP1(cbrt, double, double, 32)
KV_WRAP1(cbrtf, float, float, 33)
KV_WRAP1(nearbyint, double, double, 34)
KV_WRAP1(nearbyintf, float, float, 35)
KV_WRAP1(rint, double, double, 36)
KV_WRAP1(rintf, float, float, 37)
KV_WRAP1(round, double, double, 38)
KV_WRAP1(roundf, float, float, 39)
KV_WRAP1(floor, double, double, 40)
KV_WRAP1(floorf, float, float, 41)
KV_WRAP1(ceil, double, double, 42)
KV_WRAP1(ceilf, float, float, 43)
KV_WRAP1(trunc, double, double, 44)
KV_WRAP1(truncf, float, float, 45)
KV_WRAP2(atan2, double, 46)
KV_WRAP2(atan2f, float, 47)
KV_WRAP2(pow, double, 48)
KV_WRAP2(powf, float, 49)
KV_WRAP2(fmod, double, 50)
KV_WRAP2(fmodf, float, 51)
KV_WRAP2(hypot, double, 52)
KV_WRAP2(hypotf, float, 53)
KV_WRAP1(lround, long, double, 54)
KV_WRAP1(lroundf, long, float, 55)
KV_WRAP1(lrint, long, double, 56)
KV_WRAP1(lrintf, long, float, 57)
KV_WRAP1(llround, long long, double, 58)
KV_WRAP1(llroundf, long long, float, 59)
KV_WRAP1(llrint, long long, double, 60)
KV_WRAP1(llrintf, long long, float, 61)

extern "C" void __real_sincos(double, double*, double*);
extern "C" void __wrap_sincos(double x, double* s, double* c)
{
    Count(62);
    __real_sincos(x, s, c);
}

namespace kvtest {

LibraryMathCount::LibraryMathCount()
{
    for (auto& c : g_calls)
        c.store(0);
    g_open.store(true);
}

LibraryMathCount::~LibraryMathCount()
{
    g_open.store(false);
}

long LibraryMathCount::Calls() const
{
    long sum = 0;
    for (const auto& c : g_calls)
        sum += c.load();
    return sum;
}

std::string LibraryMathCount::Which() const
{
    std::string text;
    for (int f = 0; f < kFunctions; ++f)
        if (const long n = g_calls[f].load())
            text += (text.empty() ? "" : ", ") + std::string(kNames[f]) + " " + std::to_string(n);
    return text;
}

} // namespace kvtest
