// Times every effect kernel on ten minutes of 44.1 kHz stereo sound (float, 4410-frame chunks,
// two-pass effects measuring first), and prints the compressor's static curve. With a file name
// argument it first writes the sound there as a 16-bit WAV file for the peers (run.sh).
// Lines "FPS <name> <frames per second>" are for run.sh. "quality <folder>" and "lsd <a> <b>"
// make and compare the pitch and tempo quality fixtures instead.
#include "CompressorKernel.h"
#include "CrackleKernel.h"
#include "DcOffsetKernel.h"
#include "DelayKernel.h"
#include "HissKernel.h"
#include "HumKernel.h"
#include "PitchShiftKernel.h"
#include "ReverbKernel.h"
#include "TimeStretchKernel.h"
#include "FftEqKernel.h"
#include "FilterKernel.h"
#include "GainKernel.h"
#include "GraphicEq20Kernel.h"
#include "LoFiKernel.h"
#include "ModulatorKernel.h"
#include "MonoToStereoKernel.h"
#include "NoiseGateKernel.h"
#include "ParametricEqKernel.h"
#include "PeakNormalize.h"
#include "PhaseKernel.h"
#include "SmoothingKernel.h"
#include "StereoToMonoKernel.h"
#include "VocalRemoverKernel.h"
#include "WavFile.h"

#include "Fft.h"

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kFrames = size_t(kRate) * 600;
constexpr size_t kChunk = 4410;

std::vector<int16_t> MakeSignal()
{
    std::vector<int16_t> v(kFrames * 2);
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> noise(-3000.0, 3000.0);
    double p1 = 0, p2 = 0;
    for (size_t i = 0; i < kFrames; ++i) {
        p1 += 2 * 3.14159265358979 * 440.0 / kRate;
        p2 += 2 * 3.14159265358979 * 97.0 / kRate;
        const double s = 6000.0 * std::sin(p1) + 5000.0 * std::sin(p2);
        v[2 * i] = int16_t(s + noise(rng));
        v[2 * i + 1] = int16_t(0.6 * s + noise(rng));
    }
    return v;
}

template <size_t N>
std::vector<double> Values(const fxkit::ParamInfo (&table)[N], std::initializer_list<std::pair<int, double>> set)
{
    return fxkit::TableValues(table, set);
}

struct Case {
    const char* name;
    std::function<std::unique_ptr<fxkit::EffectKernel>()> make;
    std::vector<double> values;
    int inChannels = 2, outChannels = 2;
    const std::vector<float>* sound = nullptr; // stereo input other than the shared signal
};

template <class K>
std::function<std::unique_ptr<fxkit::EffectKernel>()> Make()
{
    return [] { return std::make_unique<K>(); };
}

// Seconds for the whole input through the kernel in chunks (a measuring pass first when the
// kernel measures).
double Run(const Case& c, const std::vector<float>& stereo, const std::vector<float>& mono, std::vector<float>& out)
{
    auto k = c.make();
    const std::vector<float>& in = c.sound ? *c.sound : c.inChannels == 1 ? mono : stereo;
    const auto start = std::chrono::steady_clock::now();
    k->Prepare({double(kRate), c.inChannels, c.outChannels}, c.values.data());
    if (k->Measures()) {
        k->BeginMeasure();
        for (size_t pos = 0; pos < kFrames; pos += kChunk)
            k->Measure(in.data() + pos * size_t(c.inChannels), std::min(kChunk, kFrames - pos));
        k->EndMeasure();
    }
    if (k->LengthRatio(c.values.data()) != 1.0) {
        std::vector<float> stretched; // delivered and forgotten chunk by chunk, as the filter does
        for (size_t pos = 0; pos < kFrames; pos += kChunk) {
            k->Stretch(in.data() + pos * size_t(c.inChannels), std::min(kChunk, kFrames - pos), stretched);
            stretched.clear();
        }
        k->Finish(stretched);
    } else
        for (size_t pos = 0; pos < kFrames; pos += kChunk)
            k->Process(in.data() + pos * size_t(c.inChannels), out.data() + pos * size_t(c.outChannels),
                       std::min(kChunk, kFrames - pos));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- quality: log-spectral distance to an ideal ----

constexpr double kPi = 3.14159265358979323846;

// A chord of three harmonic tones (220, 277, 330 Hz, eight harmonics each at 1/k) under a slow
// swell, its frequencies times pitch and its swell and length times stretch: the ideal of a
// pitch shift or a time stretch of the plain chord.
std::vector<int16_t> Chord(double seconds, double pitch, double stretch)
{
    const size_t frames = size_t(seconds * stretch * kRate);
    std::vector<int16_t> v(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double swell = 0.6 + 0.4 * std::sin(2 * kPi * 1.5 * t / stretch);
        double s = 0;
        for (double f0 : {220.0, 277.18, 329.63})
            for (int h = 1; h <= 8; ++h)
                s += std::sin(2 * kPi * f0 * h * pitch * t + h) / h;
        v[i] = int16_t(std::lround(2500.0 * swell * s));
    }
    return v;
}

// 16-bit PCM samples of a WAV file (first channel), empty when unreadable.
std::vector<float> ReadWav16(const char* path)
{
    std::vector<float> v;
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return v;
    char id[4];
    uint32_t size = 0;
    uint16_t channels = 1, bits = 16;
    std::fseek(f, 12, SEEK_SET);
    while (std::fread(id, 1, 4, f) == 4 && std::fread(&size, 4, 1, f) == 1) {
        if (std::memcmp(id, "fmt ", 4) == 0) {
            uint8_t fmt[16];
            if (std::fread(fmt, 1, 16, f) != 16)
                break;
            std::memcpy(&channels, fmt + 2, 2);
            std::memcpy(&bits, fmt + 14, 2);
            std::fseek(f, long(size) - 16 + (size & 1), SEEK_CUR);
        } else if (std::memcmp(id, "data", 4) == 0 && bits == 16 && channels > 0) {
            std::vector<int16_t> raw(size / 2);
            raw.resize(std::fread(raw.data(), 2, raw.size(), f));
            for (size_t i = 0; i < raw.size(); i += channels)
                v.push_back(float(raw[i] / 32768.0));
            break;
        } else
            std::fseek(f, long(size + (size & 1)), SEEK_CUR);
    }
    std::fclose(f);
    return v;
}

// Mean over 2048-point frames (hop 512, Hann) of the RMS difference in dB of the power spectra
// up to 8 kHz, floored 60 dB below the ideal's loudest bin; over the shorter length.
double LogSpectralDistance(const std::vector<float>& a, const std::vector<float>& ideal)
{
    constexpr size_t n = 2048, hop = 512, top = n * 8000 / kRate;
    fxkit::Fft fft(n);
    const size_t length = std::min(a.size(), ideal.size());
    std::vector<std::vector<double>> spectra[2];
    double loudest = 0;
    for (int which = 0; which < 2; ++which) {
        const std::vector<float>& x = which ? ideal : a;
        for (size_t at = 0; at + n <= length; at += hop) {
            std::vector<std::complex<double>> z(n);
            for (size_t i = 0; i < n; ++i)
                z[i] = x[at + i] * (0.5 - 0.5 * std::cos(2 * kPi * double(i) / n));
            fft.Forward(z.data());
            std::vector<double> p(top);
            for (size_t k = 0; k < top; ++k) {
                p[k] = std::norm(z[k]);
                if (which)
                    loudest = std::max(loudest, p[k]);
            }
            spectra[which].push_back(p);
        }
    }
    const double floor = loudest * 1e-6;
    double total = 0;
    for (size_t f = 0; f < spectra[0].size(); ++f) {
        double sum = 0;
        for (size_t k = 1; k < top; ++k) {
            const double d = 10 * std::log10((spectra[0][f][k] + floor) / (spectra[1][f][k] + floor));
            sum += d * d;
        }
        total += std::sqrt(sum / double(top - 1));
    }
    return spectra[0].empty() ? 0 : total / double(spectra[0].size());
}

std::vector<float> ToFloat(const std::vector<int16_t>& v)
{
    std::vector<float> f(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        f[i] = float(v[i] / 32768.0);
    return f;
}

std::vector<int16_t> ToPcm(const std::vector<float>& v)
{
    std::vector<int16_t> p(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        p[i] = int16_t(std::lround(std::max(-32768.0, std::min(32767.0, double(v[i]) * 32768.0))));
    return p;
}

// quality <folder>: writes chord.wav, ideal-tempo.wav, ours-tempo.wav (twice as long),
// ideal-pitch.wav, ours-pitch.wav (up a fifth) there; lsd <a> <b> prints their distance.
int Quality(int argc, char** argv)
{
    using namespace fx;
    if (argc > 3 && std::string(argv[1]) == "lsd") {
        std::printf("LSD %.3f\n", LogSpectralDistance(ReadWav16(argv[2]), ReadWav16(argv[3])));
        return 0;
    }
    const std::string dir = argv[2];
    const auto chord = Chord(4, 1, 1);
    const auto in = ToFloat(chord);
    kvtest::WriteWav16(dir + "\\chord.wav", 1, kRate, chord);
    kvtest::WriteWav16(dir + "\\ideal-tempo.wav", 1, kRate, Chord(4, 1, 2));
    kvtest::WriteWav16(dir + "\\ideal-pitch.wav", 1, kRate, Chord(4, std::pow(2.0, 7 / 12.0), 1));
    {
        TimeStretchKernel k;
        const auto v = Values(kTimeStretchParams, {{kStretchLength, 200}});
        k.Prepare({double(kRate), 1, 1}, v.data());
        std::vector<float> out;
        k.Stretch(in.data(), in.size(), out);
        k.Finish(out);
        out.resize(in.size() * 2);
        kvtest::WriteWav16(dir + "\\ours-tempo.wav", 1, kRate, ToPcm(out));
    }
    {
        PitchShiftKernel k;
        const auto v = Values(kPitchShiftParams, {{kPitchSemitones, 7}});
        k.Prepare({double(kRate), 1, 1}, v.data());
        const size_t latency = k.Latency();
        std::vector<float> padded(in), out(in.size() + latency);
        padded.resize(in.size() + latency, 0.0f);
        k.Process(padded.data(), out.data(), padded.size());
        out.erase(out.begin(), out.begin() + long(latency));
        kvtest::WriteWav16(dir + "\\ours-pitch.wav", 1, kRate, ToPcm(out));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && (std::string(argv[1]) == "quality" || std::string(argv[1]) == "lsd"))
        return Quality(argc, argv);
    const auto pcm = MakeSignal();
    if (argc > 1 && !kvtest::WriteWav16(argv[1], 2, kRate, pcm)) {
        std::printf("cannot write %s\n", argv[1]);
        return 1;
    }
    std::vector<float> stereo(pcm.size()), mono(kFrames), out(pcm.size());
    for (size_t i = 0; i < pcm.size(); ++i)
        stereo[i] = float(pcm[i] / 32768.0);
    for (size_t i = 0; i < kFrames; ++i)
        mono[i] = stereo[2 * i];

    // The signal with crackle: a click of 2 to 40 samples at full scale / 2 in each channel
    // every 10 ms.
    std::vector<float> crackly(stereo);
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> u(0, 1);
    for (size_t at = 0; at + 441 < kFrames; at += 441)
        for (size_t c = 0; c < 2; ++c) {
            const size_t start = at + size_t(u(rng) * 400), length = 2 + size_t(u(rng) * 38);
            for (size_t i = 0; i < length; ++i)
                crackly[2 * (start + i) + c] += u(rng) < 0.5 ? -0.5f : 0.5f;
        }

    using namespace fx;
    const std::vector<Case> cases = {
        {"Gain", Make<GainKernel>(), Values(kGainParams, {{0, 6}, {1, 6}})},
        {"DcOffset", Make<DcOffsetKernel>(), Values(kDcParams, {{kDcMode, 1}, {kDcValue, 328}})},
        {"Normalize", [] { return std::make_unique<fxkit::PeakNormalizeKernel>(false); }, {-1}},
        {"ChannelNormalize", [] { return std::make_unique<fxkit::PeakNormalizeKernel>(true); }, {-1}},
        {"ReversePhase", Make<PhaseKernel>(), Values(kPhaseParams, {})},
        {"StereoToMono", Make<StereoToMonoKernel>(), Values(kStereoToMonoParams, {}), 2, 1},
        {"MonoToStereo", Make<MonoToStereoKernel>(), Values(kMonoToStereoParams, {{kM2sMethod, 2}}), 1, 2},
        {"ParametricEq", Make<ParametricEqKernel>(),
         Values(kParametricEqParams,
                {{0, 0}, {4, 0}, {8, 1}, {9, 1000}, {10, 12}, {11, 1}, {12, 0}, {16, 0}, {20, 0}})},
        {"FftEq", Make<FftEqKernel>(),
         Values(kFftEqParams, {{kFeqPointCount, 4}, {kFeqFirstPoint, 1900}, {kFeqFirstPoint + 2, 2000},
                               {kFeqFirstPoint + 3, -20}, {kFeqFirstPoint + 4, 4000}, {kFeqFirstPoint + 5, -20},
                               {kFeqFirstPoint + 6, 4200}})},
        {"LowPass", Make<FilterKernel>(), Values(kFilterParams, {{kFltType, 0}, {kFltOrder, 2}})},
        {"HighPass", Make<FilterKernel>(), Values(kFilterParams, {{kFltType, 1}, {kFltOrder, 2}})},
        {"BandPass", Make<FilterKernel>(),
         Values(kFilterParams, {{kFltType, 2}, {kFltLow, 300}, {kFltHigh, 3400}, {kFltOrder, 2}})},
        {"LowPass8", Make<FilterKernel>(), Values(kFilterParams, {{kFltType, 0}, {kFltOrder, 8}})},
        {"Tremolo", Make<ModulatorKernel>(), Values(kModulatorParams, {})},
        {"Vibrato", Make<ModulatorKernel>(), Values(kModulatorParams, {{kModKind, 2}})},
        {"Compressor", Make<CompressorKernel>(), Values(kCompressorParams, {})},
        {"NoiseGate", Make<NoiseGateKernel>(), Values(kNoiseGateParams, {})},
        {"LoFi", Make<LoFiKernel>(), Values(kLoFiParams, {{kLoFiBand, 5000}})},
        {"Smoothing", Make<SmoothingKernel>(), Values(kSmoothingParams, {{kAvgWidth, 5}, {kAvgPasses, 2}})},
        {"GraphicEq20Iir", Make<GraphicEq20Kernel>(),
         Values(kGraphicEq20Params, {{0, 6}, {3, -6}, {6, 6}, {9, -6}, {12, 6}, {15, -6}, {18, 6}})},
        {"GraphicEq20Fir", Make<GraphicEq20Kernel>(),
         Values(kGraphicEq20Params, {{0, 6}, {3, -6}, {6, 6}, {9, -6}, {12, 6}, {15, -6}, {18, 6}, {kGeq20Mode, 1}})},
        {"RemoveVocals", Make<VocalRemoverKernel>(), Values(kVocalRemoverParams, {})},
        {"Delay", Make<DelayKernel>(), Values(kDelayParams, {})},
        {"Hiss", Make<HissKernel>(), Values(kHissParams, {})},
        {"Hum", Make<HumKernel>(), Values(kHumParams, {{kHumMains, 1}, {kHumHarmonics, 10}})},
        {"Reverb", Make<ReverbKernel>(), Values(kReverbParams, {})},
        {"TimeStretch", Make<TimeStretchKernel>(), Values(kTimeStretchParams, {{kStretchLength, 200}})},
        {"PitchShift", Make<PitchShiftKernel>(), Values(kPitchShiftParams, {{kPitchSemitones, 5}})},
        {"Crackle", Make<CrackleKernel>(), Values(kCrackleParams, {})},
        {"Crackle100PerSec", Make<CrackleKernel>(), Values(kCrackleParams, {}), 2, 2, &crackly},
    };
    std::printf("EffectBench: %zu frames (600 s of 44.1 kHz stereo float), %zu-frame chunks\n", kFrames, kChunk);
    // KV_BENCH_ONLY=Name,Name times only those rows (for runs alternated by hand).
    const char* only = std::getenv("KV_BENCH_ONLY");
    for (const Case& c : cases) {
        if (only && (std::string(",") + only + ",").find(std::string(",") + c.name + ",") == std::string::npos)
            continue;
        const double s = Run(c, stereo, mono, out);
        std::printf("%-18s %8.3f s %14.0f frames/s (%.0fx real time)\n", c.name, s, kFrames / s, 600.0 / s);
        std::printf("FPS %s %.0f\n", c.name, kFrames / s);
    }
    // The static curve of the compressor as the bench's peer is set: threshold -20 dB, 4:1,
    // 6 dB knee.
    const auto curve = CurveOf(Values(kCompressorParams, {}).data());
    for (int level = -40; level <= 0; level += 5)
        std::printf("CURVE %d %.2f\n", level, level + curve.GainDb(level));
    return 0;
}
