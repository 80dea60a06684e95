// Times the equaliser engine on ten minutes of 44.1 kHz stereo 16-bit sound with all ten bands
// set (alternating +6 and -6 dB), in IIR and FIR mode, beside memcpy of the same data.
// With a file name argument it first writes the sound there as a WAV file for comparisons.
#include "EqEngine.h"
#include "WavFile.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint16_t kChannels = 2;
constexpr size_t kFrames = size_t(kRate) * 600;
constexpr size_t kChunk = 4410; // 100 ms, a typical media sample

std::vector<int16_t> MakeSignal()
{
    // A mix of tones and noise, loud enough to exercise every band.
    std::vector<int16_t> v(kFrames * kChannels);
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> noise(-3000.0, 3000.0);
    double p1 = 0, p2 = 0;
    for (size_t i = 0; i < kFrames; ++i) {
        p1 += 2 * 3.14159265358979 * 440.0 / kRate;
        p2 += 2 * 3.14159265358979 * 97.0 / kRate;
        const double s = 6000.0 * std::sin(p1) + 5000.0 * std::sin(p2);
        v[2 * i] = int16_t(s + noise(rng));
        v[2 * i + 1] = int16_t(-s + noise(rng));
    }
    return v;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double RunEngine(bool fir, const std::vector<int16_t>& in, std::vector<int16_t>& out)
{
    geq::WaveFormat f{};
    f.formatTag = geq::kTagPcm;
    f.channels = kChannels;
    f.samplesPerSec = kRate;
    f.bitsPerSample = 16;
    f.blockAlign = kChannels * 2;
    f.avgBytesPerSec = kRate * f.blockAlign;
    geq::EqEngine e;
    e.Prepare(f, f);
    const float gains[geq::kBandCount] = {6, -6, 6, -6, 6, -6, 6, -6, 6, -6};
    const auto start = std::chrono::steady_clock::now();
    size_t written = 0;
    for (size_t pos = 0; pos < kFrames; pos += kChunk) {
        const size_t n = kFrames - pos < kChunk ? kFrames - pos : kChunk;
        e.SetMode(fir);
        e.SetBandGains(gains);
        e.SetMasterGain(0.0f);
        e.SetDrain(false);
        written += e.Process(in.data() + pos * kChannels, n, out.data() + written * kChannels);
    }
    e.SetDrain(true);
    written += e.Process(nullptr, 0, out.data() + written * kChannels);
    const double s = Seconds(start);
    if (written != kFrames)
        std::printf("warning: %zu frames out of %zu\n", written, kFrames);
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    const auto in = MakeSignal();
    if (argc > 1 && !kvtest::WriteWav16(argv[1], kChannels, kRate, in)) {
        std::printf("cannot write %s\n", argv[1]);
        return 1;
    }
    std::vector<int16_t> out(in.size() + 3 * 8192 * kChannels);

    auto start = std::chrono::steady_clock::now();
    std::memcpy(out.data(), in.data(), in.size() * 2);
    const double copy = Seconds(start);
    const double iir = RunEngine(false, in, out);
    const double fir = RunEngine(true, in, out);

    std::printf("EqBench: %zu frames (600 s of 44.1 kHz stereo 16-bit), ten bands at +-6 dB, %zu-frame chunks\n",
                kFrames, kChunk);
    std::printf("memcpy   %10.3f s %14.0f frames/s\n", copy, kFrames / copy);
    std::printf("IIR mode %10.3f s %14.0f frames/s  (%.0fx real time)\n", iir, kFrames / iir, 600.0 / iir);
    std::printf("FIR mode %10.3f s %14.0f frames/s  (%.0fx real time)\n", fir, kFrames / fir, 600.0 / fir);
    std::printf("IIR_FPS %.0f\n", kFrames / iir);
    std::printf("FIR_FPS %.0f\n", kFrames / fir);
    return 0;
}
