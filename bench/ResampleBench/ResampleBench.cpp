// ResampleBench: figures of the attribute filter's resampler.
//   ResampleBench speed IN.raw            10-minute style run: 32-bit float stereo 44.1 kHz raw
//                                         file to 48 kHz; prints frames per second
//   ResampleBench quality DIR             ours on DIR/sine_F.in.raw (44.1 kHz mono float) and
//                                         DIR/high_F.in.raw (48 kHz); with DIR/sine_F.sox.raw and
//                                         DIR/high_F.sox.raw present, sox's outputs too
// Passband ripple: spread of the gain of sines up to 0.9 x Nyquist (dB). Stopband rejection:
// the worst of (a) what is left beside each passband sine after upsampling to 48 kHz (images)
// and (b) the level of sines above 22.05 kHz after downsampling 48 kHz to 44.1 kHz.
#include "Resampler.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
const int kPassFreqs[] = {100, 1000, 5000, 10000, 15000, 18000, 19845};
const int kHighFreqs[] = {22500, 23000, 23500, 23900};

bool ReadFloats(const std::string& path, std::vector<float>& out)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    out.resize(size_t(size) / sizeof(float));
    size_t got = std::fread(out.data(), sizeof(float), out.size(), f);
    std::fclose(f);
    return got == out.size();
}

// Least-squares fit of a sine at freq over the middle half; returns amplitude, and the RMS
// of what is left, both via out parameters.
void Fit(const std::vector<float>& x, double rate, double freq, double& amp, double& residualRms)
{
    size_t a = x.size() / 4, b = x.size() * 3 / 4;
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
    for (size_t i = a; i < b; ++i) {
        double s = std::sin(2 * kPi * freq * i / rate), c = std::cos(2 * kPi * freq * i / rate);
        ss += s * s, cc += c * c, sc += s * c, xs += x[i] * s, xc += x[i] * c;
    }
    double det = ss * cc - sc * sc;
    double p = (xs * cc - xc * sc) / det, q = (xc * ss - xs * sc) / det;
    amp = std::sqrt(p * p + q * q);
    double r2 = 0;
    for (size_t i = a; i < b; ++i) {
        double e = x[i] - p * std::sin(2 * kPi * freq * i / rate) - q * std::cos(2 * kPi * freq * i / rate);
        r2 += e * e;
    }
    residualRms = std::sqrt(r2 / double(b - a));
}

double Rms(const std::vector<float>& x)
{
    size_t a = x.size() / 4, b = x.size() * 3 / 4;
    double s = 0;
    for (size_t i = a; i < b; ++i)
        s += double(x[i]) * x[i];
    return std::sqrt(s / double(b - a));
}

std::vector<float> Ours(const std::vector<float>& in, uint32_t from, uint32_t to)
{
    Resampler r;
    r.Setup(from, to, 1);
    std::vector<float> out;
    r.Process(in.data(), in.size(), out);
    r.Flush(out);
    return out;
}

struct Quality {
    double rippleDb = 0, rejectionDb = 1e9;
    bool ok = true;
};

Quality Measure(const std::string& dir, bool sox)
{
    Quality q;
    double lo = 1e9, hi = -1e9;
    for (int f : kPassFreqs) {
        std::vector<float> in, out;
        std::string base = dir + "/sine_" + std::to_string(f);
        if (!ReadFloats(base + ".in.raw", in) || (sox && !ReadFloats(base + ".sox.raw", out))) {
            q.ok = false;
            return q;
        }
        if (!sox)
            out = Ours(in, 44100, 48000);
        double ampIn, resIn, amp, res;
        Fit(in, 44100, f, ampIn, resIn);
        Fit(out, 48000, f, amp, res);
        double gain = 20 * std::log10(amp / ampIn);
        lo = std::min(lo, gain), hi = std::max(hi, gain);
        q.rejectionDb = std::min(q.rejectionDb, 20 * std::log10((amp / std::sqrt(2.0)) / std::max(res, 1e-12)));
    }
    for (int f : kHighFreqs) {
        std::vector<float> in, out;
        std::string base = dir + "/high_" + std::to_string(f);
        if (!ReadFloats(base + ".in.raw", in) || (sox && !ReadFloats(base + ".sox.raw", out))) {
            q.ok = false;
            return q;
        }
        if (!sox)
            out = Ours(in, 48000, 44100);
        q.rejectionDb = std::min(q.rejectionDb, 20 * std::log10(Rms(in) / std::max(Rms(out), 1e-12)));
    }
    q.rippleDb = hi - lo;
    return q;
}

int Speed(const char* path)
{
    std::vector<float> in;
    if (!ReadFloats(path, in) || in.size() < 2) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    size_t frames = in.size() / 2;
    Resampler r;
    r.Setup(44100, 48000, 2);
    std::vector<float> out;
    out.reserve(size_t(r.OutputFramesFor(frames) * 2 + 64));
    auto t0 = std::chrono::steady_clock::now();
    const size_t chunk = 4410; // as the filter gets it: about 100 ms per buffer
    for (size_t i = 0; i < frames; i += chunk)
        r.Process(&in[i * 2], std::min(chunk, frames - i), out);
    r.Flush(out);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("ours: %zu frames in %.3f s: %.0f input frames/s (%.1f x real time), %d taps per phase\n", frames, s,
                frames / s, frames / 44100.0 / s, r.Taps());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "speed" && argc > 2)
        return Speed(argv[2]);
    if (mode == "quality" && argc > 2) {
        Quality ours = Measure(argv[2], false);
        if (!ours.ok) {
            std::fprintf(stderr, "missing test files in %s\n", argv[2]);
            return 1;
        }
        std::printf("ours: passband ripple %.4f dB (to 0.9 x Nyquist), stopband rejection %.1f dB\n", ours.rippleDb,
                    ours.rejectionDb);
        Quality sox = Measure(argv[2], true);
        if (sox.ok)
            std::printf("sox:  passband ripple %.4f dB (to 0.9 x Nyquist), stopband rejection %.1f dB\n", sox.rippleDb,
                        sox.rejectionDb);
        return 0;
    }
    std::fprintf(stderr, "usage: ResampleBench speed IN.raw | quality DIR\n");
    return 2;
}
