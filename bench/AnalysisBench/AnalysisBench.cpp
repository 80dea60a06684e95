// The analyser's transform for every offered size, beside the effect kit's FFT of the same size,
// and a whole analysis (ten minutes of 48 kHz 16-bit stereo, N = 1024, Hanning, overlap 0) of
// the sound it writes to the WAV file named on the command line for the peers of run.sh.
// Prints "FFT size ns-per-transform kit-ns" and "RUN seconds".
#include "BenchSupport.h"
#include "Fft.h"
#include "FrequencyAnalyzer.h"
#include "WavFile.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdint>
#include <vector>

namespace {

double Seconds()
{
    LARGE_INTEGER now, zero = {};
    QueryPerformanceCounter(&now);
    return Milliseconds(zero, now) / 1000.0;
}

// Nanoseconds a call, the best of five rounds of at least 50 ms each.
template <class F>
double NanosecondsPerCall(F&& call)
{
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        long calls = 0;
        const double start = Seconds();
        double elapsed = 0;
        do {
            for (int i = 0; i < 16; ++i)
                call();
            calls += 16;
            elapsed = Seconds() - start;
        } while (elapsed < 0.05);
        best = std::min(best, elapsed * 1e9 / double(calls));
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    std::printf("transform of N complex doubles, in place (ns a transform)\n");
    std::printf("%8s %12s %12s\n", "N", "ForwardFft", "kit Fft");
    for (int n = 128; n <= 65536; n *= 2) {
        CSpectrumAnalyzer analyzer;
        analyzer.SetFftSize(n);
        std::vector<double> data(size_t(2) * n);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = std::sin(0.1 * double(i));
        const std::vector<double> input = data;
        // Each call transforms the last output again: scaled back so the values stay finite.
        const double ours = NanosecondsPerCall([&] {
            analyzer.ForwardFft(data.data());
            data[0] = input[0];
            data[3] = input[3];
        });
        fxkit::Fft kit(static_cast<size_t>(n));
        std::vector<std::complex<double>> kitData(static_cast<size_t>(n), std::complex<double>(0.5, 0.25));
        const double theirs = NanosecondsPerCall([&] {
            kit.Forward(kitData.data());
            kitData[0] = std::complex<double>(0.5, 0.25);
        });
        std::printf("FFT %6d %12.0f %12.0f\n", n, ours, theirs);
    }

    const int rate = 48000, channels = 2;
    const size_t frames = size_t(rate) * 600;
    std::vector<int16_t> samples(frames * channels);
    uint32_t seed = 1;
    for (size_t i = 0; i < frames; ++i) {
        const double tone = 8000.0 * std::sin(2.0 * 3.14159265358979 * 1000.0 * double(i) / rate);
        for (int c = 0; c < channels; ++c) {
            seed = seed * 1664525u + 1013904223u;
            samples[i * channels + c] = int16_t(tone / (c + 1) + double(int32_t(seed >> 20) - 2048));
        }
    }
    if (argc > 1 && !kvtest::WriteWav16(argv[1], channels, rate, samples)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    double best = 1e30, level = 0;
    for (int round = 0; round < 3; ++round) {
        CSpectrumAnalyzer analyzer;
        analyzer.SetBytesPerSample(2);
        analyzer.SetSignedBytes(1);
        analyzer.SetChannels(channels);
        analyzer.SetSampleRate(rate);
        analyzer.SetFftSize(1024);
        analyzer.SetOverlap(0);
        analyzer.SetWindow(0);
        const double start = Seconds();
        analyzer.Begin();
        // Fed in reads of one transform frame, as the pane reads a track.
        for (size_t at = 0; at < frames; at += 1024) {
            const size_t take = std::min<size_t>(1024, frames - at);
            analyzer.AddSamples(samples.data() + at * channels, int(take));
        }
        analyzer.Finish();
        best = std::min(best, Seconds() - start);
        level = 10.0 * std::log10(analyzer.GetPowerSpectrum()[size_t(1000 * 1024 / rate) * channels]);
    }
    std::printf("whole analysis: %zu frames of %d Hz stereo, N = 1024, Hanning, overlap 0\n", frames, rate);
    std::printf("RUN %.4f\n", best);
    std::printf("level near 1 kHz, left: %.2f dB\n", level);
    return 0;
}
