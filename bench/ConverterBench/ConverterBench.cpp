// Converts 10 minutes of 48 kHz stereo between 8-bit, 16-bit, 24-bit and float and prints frames
// per second for each pair, beside memcpy of the same source bytes timed in the same run.
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
constexpr int kRuns = 3; // best of

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
double BestSeconds(F&& run)
{
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        best = std::min(best, d.count());
    }
    return best;
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

    std::printf("10 min of %u Hz stereo (%zu frames), best of %d runs, Mframes/s\n", kRate, kFrames, kRuns);
    std::printf("%-16s %10s %10s %8s\n", "pair", "convert", "memcpy", "ratio");
    for (uint32_t from : depths) {
        for (uint32_t to : depths) {
            if (from == to)
                continue;
            const WaveFormat src = FormatOf(from), dst = FormatOf(to);
            SampleConverter conv;
            conv.SetSourceFormat(&src);
            conv.SetDestinationFormat(&dst);
            const size_t sourceBytes = kFrames * src.blockAlign;
            const double convert = BestSeconds([&] { conv.Convert(source.data(), kFrames, destination.data()); });
            const double copy = BestSeconds([&] { std::memcpy(destination.data(), source.data(), sourceBytes); });
            const double convertRate = kFrames / convert / 1e6, copyRate = kFrames / copy / 1e6;
            char pair[32];
            std::snprintf(pair, sizeof pair, "%s -> %s", Name(from), Name(to));
            std::printf("%-16s %10.0f %10.0f %8.2f\n", pair, convertRate, copyRate, convertRate / copyRate);
        }
    }
    return 0;
}
