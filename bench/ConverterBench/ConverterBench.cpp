// Converts 10 minutes of 48 kHz stereo between 8-bit, 16-bit, 24-bit and float and prints, for
// each pair, the bytes moved (read + written) per second beside memcpy moving as many bytes
// (copying half of them), the two runs alternating and each figure the median of its runs.
#include "SampleConverter.h"
#include "WaveFormat.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kRate = 48000;
constexpr uint32_t kChannels = 2;
constexpr size_t kFrames = size_t(kRate) * 600;
constexpr int kRuns = 5; // median of, alternating with the peer

WaveFormat FormatOf(uint32_t bits)
{
    WaveFormat f;
    if (bits == 32)
        f.InitFloat32(kRate, kChannels);
    else
        f.InitPcm(kRate, bits, kChannels);
    return f;
}

template <class F>
double Seconds(F&& run)
{
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    return d.count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const char* Name(uint32_t bits)
{
    return bits == 8 ? "uint8" : bits == 16 ? "int16" : bits == 24 ? "int24" : "float";
}

} // namespace

int main()
{
    const uint32_t depths[] = {8, 16, 24, 32};
    // Both buffers are written once first so that no run pays for first-touch page faults.
    std::vector<uint8_t> source(kFrames * kChannels * 4), destination(kFrames * kChannels * 4, 1);
    for (size_t i = 0; i < kFrames * kChannels; ++i) {
        const float v = static_cast<float>((i * 7919) % 2001) / 1000.0f - 1.0f; // -1 .. 1
        std::memcpy(&source[i * 4], &v, 4);
    }

    std::printf("10 min of %u Hz stereo (%zu frames), median of %d alternating runs, GB/s moved (read + written)\n",
                kRate, kFrames, kRuns);
    std::printf("%-16s %10s %10s %8s\n", "pair", "convert", "memcpy", "ratio");
    for (uint32_t from : depths) {
        for (uint32_t to : depths) {
            if (from == to)
                continue;
            const WaveFormat src = FormatOf(from), dst = FormatOf(to);
            SampleConverter conv;
            conv.SetSourceFormat(&src);
            conv.SetDestinationFormat(&dst);
            const size_t moved = kFrames * (src.blockAlign + dst.blockAlign);
            std::vector<double> convert, copy;
            for (int run = 0; run < kRuns; ++run) {
                convert.push_back(Seconds([&] { conv.Convert(source.data(), kFrames, destination.data()); }));
                copy.push_back(Seconds([&] { std::memcpy(destination.data(), source.data(), moved / 2); }));
            }
            const double convertRate = moved / Median(convert) / 1e9, copyRate = moved / Median(copy) / 1e9;
            char pair[32];
            std::snprintf(pair, sizeof pair, "%s -> %s", Name(from), Name(to));
            std::printf("%-16s %10.2f %10.2f %8.2f\n", pair, convertRate, copyRate, convertRate / copyRate);
        }
    }
    return 0;
}
