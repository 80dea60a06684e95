// ResampleBench: figures of the kit's resampler (run.sh sets the peers beside it).
//   ResampleBench convert IN.wav OUT.wav RATE   reads a WAV file (32-bit float or 16-bit PCM),
//                                               resamples it to RATE as the filter does (blocks
//                                               of about 100 ms), writes 32-bit float WAV; prints
//                                               the time from opening the input to closing the
//                                               output, and frames per second
//   ResampleBench quality DIR [PEER...]         ours on DIR/sine_F.in.raw (44.1 kHz mono float)
//                                               and DIR/high_F.in.raw (48 kHz); for each PEER,
//                                               its outputs DIR/sine_F.PEER.raw, high_F.PEER.raw
// Passband ripple: spread of the gain of sines up to 0.9 x Nyquist (dB). Stopband rejection:
// the worst of (a) what is left beside each passband sine after upsampling to 48 kHz (images,
// and any noise) and (b) the level of sines above 22.05 kHz after downsampling 48 kHz to 44.1 kHz.
#include "Resampler.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using fxkit::Resampler;

namespace {

constexpr double kPi = 3.14159265358979323846;
const int kPassFreqs[] = {100, 1000, 5000, 10000, 15000, 18000, 19845};
const int kHighFreqs[] = {22100, 22500, 23000, 23500, 23900};

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

Quality Measure(const std::string& dir, const std::string& peer)
{
    Quality q;
    double lo = 1e9, hi = -1e9;
    for (int f : kPassFreqs) {
        std::vector<float> in, out;
        std::string base = dir + "/sine_" + std::to_string(f);
        if (!ReadFloats(base + ".in.raw", in) || (!peer.empty() && !ReadFloats(base + "." + peer + ".raw", out))) {
            q.ok = false;
            return q;
        }
        if (peer.empty())
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
        if (!ReadFloats(base + ".in.raw", in) || (!peer.empty() && !ReadFloats(base + "." + peer + ".raw", out))) {
            q.ok = false;
            return q;
        }
        if (peer.empty())
            out = Ours(in, 48000, 44100);
        q.rejectionDb = std::min(q.rejectionDb, 20 * std::log10(Rms(in) / std::max(Rms(out), 1e-12)));
    }
    q.rippleDb = hi - lo;
    return q;
}

uint32_t Le32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

// An open WAV file positioned at its sample data.
struct WavIn {
    FILE* file = nullptr;
    uint32_t rate = 0;
    int channels = 0;
    bool isFloat = false; // 32-bit float; else 16-bit PCM
    uint64_t framesLeft = 0;
    ~WavIn()
    {
        if (file)
            std::fclose(file);
    }
};

bool OpenWav(const char* path, WavIn& wav)
{
    wav.file = std::fopen(path, "rb");
    if (!wav.file)
        return false;
    std::setvbuf(wav.file, nullptr, _IOFBF, size_t(1) << 20);
    unsigned char riff[12];
    if (std::fread(riff, 1, 12, wav.file) != 12 || std::memcmp(riff, "RIFF", 4) || std::memcmp(riff + 8, "WAVE", 4))
        return false;
    int bits = 0, tag = 0;
    for (;;) {
        unsigned char c[8];
        if (std::fread(c, 1, 8, wav.file) != 8)
            return false;
        uint32_t len = Le32(c + 4);
        if (!std::memcmp(c, "fmt ", 4) && len >= 16 && len <= 64) {
            unsigned char f[64];
            if (std::fread(f, 1, len + (len & 1), wav.file) != len + (len & 1))
                return false;
            tag = Le16(f);
            wav.channels = Le16(f + 2);
            wav.rate = Le32(f + 4);
            bits = Le16(f + 14);
            if (tag == 0xFFFE && len >= 40)
                tag = Le16(f + 24); // the sub-format's first two bytes are the tag
        } else if (!std::memcmp(c, "data", 4) && wav.channels > 0) {
            wav.isFloat = tag == 3 && bits == 32;
            if (!wav.isFloat && !(tag == 1 && bits == 16))
                return false;
            wav.framesLeft = len / (wav.channels * (bits / 8));
            return true;
        } else if (std::fseek(wav.file, long(len + (len & 1)), SEEK_CUR) != 0) {
            return false;
        }
    }
}

// Reads up to frames frames as float; returns how many.
size_t ReadFrames(WavIn& wav, size_t frames, std::vector<float>& to, std::vector<int16_t>& pcm)
{
    frames = size_t(std::min<uint64_t>(frames, wav.framesLeft));
    const size_t n = frames * wav.channels;
    to.resize(n);
    size_t got;
    if (wav.isFloat) {
        got = std::fread(to.data(), sizeof(float), n, wav.file);
    } else {
        pcm.resize(n);
        got = std::fread(pcm.data(), sizeof(int16_t), n, wav.file);
        for (size_t i = 0; i < got; ++i)
            to[i] = pcm[i] / 32768.0f;
    }
    frames = got / wav.channels;
    wav.framesLeft -= frames;
    return frames;
}

void WavHeader(unsigned char (&h)[58], uint32_t rate, int channels, uint64_t frames)
{
    uint32_t data = uint32_t(frames * channels * 4);
    auto put32 = [&h](int at, uint32_t v) { h[at] = v, h[at + 1] = v >> 8, h[at + 2] = v >> 16, h[at + 3] = v >> 24; };
    auto put16 = [&h](int at, uint32_t v) { h[at] = v, h[at + 1] = v >> 8; };
    std::memcpy(h, "RIFF", 4), put32(4, 50 + data), std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(16, 18), put16(20, 3), put16(22, channels), put32(24, rate), put32(28, rate * channels * 4);
    put16(32, channels * 4), put16(34, 32), put16(36, 0);
    std::memcpy(h + 38, "fact", 4), put32(42, 4), put32(46, uint32_t(frames));
    std::memcpy(h + 50, "data", 4), put32(54, data);
}

// Streams IN through the resampler to OUT in buffers of about 100 ms, as the filter gets them.
int Convert(const char* from, const char* to, uint32_t rate)
{
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    WavIn in;
    if (!OpenWav(from, in)) {
        std::fprintf(stderr, "cannot read %s (32-bit float or 16-bit PCM WAV)\n", from);
        return 1;
    }
    Resampler r;
    if (!r.Setup(in.rate, rate, in.channels)) {
        std::fprintf(stderr, "cannot resample %u Hz to %u Hz\n", in.rate, rate);
        return 1;
    }
    FILE* out = std::fopen(to, "wb");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", to);
        return 1;
    }
    std::setvbuf(out, nullptr, _IOFBF, size_t(1) << 20);
    unsigned char header[58];
    WavHeader(header, rate, in.channels, 0);
    bool ok = std::fwrite(header, 1, sizeof header, out) == sizeof header;
    std::vector<float> buffer, resampled;
    std::vector<int16_t> pcm;
    const size_t chunk = std::max<size_t>(1, in.rate / 10);
    uint64_t frames = 0, written = 0;
    Clock::duration inResampler{};
    for (bool last = false; ok && !last;) {
        size_t n = ReadFrames(in, chunk, buffer, pcm);
        last = n == 0;
        frames += n;
        resampled.clear();
        auto t = Clock::now();
        if (last)
            r.Flush(resampled);
        else
            r.Process(buffer.data(), n, resampled);
        inResampler += Clock::now() - t;
        ok = std::fwrite(resampled.data(), sizeof(float), resampled.size(), out) == resampled.size();
        written += resampled.size() / in.channels;
    }
    WavHeader(header, rate, in.channels, written);
    ok = ok && std::fseek(out, 0, SEEK_SET) == 0 && std::fwrite(header, 1, sizeof header, out) == sizeof header;
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", to);
        return 1;
    }
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    double rs = std::chrono::duration<double>(inResampler).count();
    std::printf("ours: %llu frames in %.3f s: %.0f input frames/s; %llu frames out; in the resampler %.3f s "
                "(%.0f frames/s); sharp filter %d taps\n",
                (unsigned long long)frames, s, frames / s, (unsigned long long)written, rs, frames / rs, r.Taps());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "convert" && argc > 4)
        return Convert(argv[2], argv[3], uint32_t(std::strtoul(argv[4], nullptr, 10)));
    if (mode == "quality" && argc > 2) {
        Quality ours = Measure(argv[2], "");
        if (!ours.ok) {
            std::fprintf(stderr, "missing test files in %s\n", argv[2]);
            return 1;
        }
        std::printf("%-12s passband ripple %.4f dB (to 0.9 x Nyquist), stopband rejection %.1f dB\n",
                    "ours:", ours.rippleDb, ours.rejectionDb);
        for (int i = 3; i < argc; ++i) {
            Quality peer = Measure(argv[2], argv[i]);
            std::string name = std::string(argv[i]) + ":";
            if (peer.ok)
                std::printf("%-12s passband ripple %.4f dB (to 0.9 x Nyquist), stopband rejection %.1f dB\n",
                            name.c_str(), peer.rippleDb, peer.rejectionDb);
            else
                std::printf("%-12s no outputs to measure\n", name.c_str());
        }
        return 0;
    }
    std::fprintf(stderr, "usage: ResampleBench convert IN.wav OUT.wav RATE | quality DIR [PEER...]\n");
    return 2;
}
