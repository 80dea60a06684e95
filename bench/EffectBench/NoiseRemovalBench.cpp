// Noise removal quality: a 1 kHz tone in white noise, cleaned with a profile of another stretch
// of the same noise. Prints, per setting, the tone's loss and the noise's drop in dB (the noise
// measured as what is left once the tone is fitted out, past the first 0.5 s).
//   noise_removal_bench write <folder>    writes noise.wav and noisy.wav for sox, prints ours
//   noise_removal_bench measure <raw>     measures a cleaned 16-bit mono raw file (sox's)
#include "ProfileLearnerKernel.h"
#include "NoiseSubtractionKernel.h"
#include "WavFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100, kTone = 0.1, kFreq = 1000;
constexpr size_t kFrames = 44100 * 5, kSkip = 22050;

std::vector<float> Noise(unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> d(-0.05, 0.05);
    std::vector<float> v(kFrames);
    for (float& x : v)
        x = float(std::nearbyint(d(rng) * 32768) / 32768);
    return v;
}

std::vector<float> Noisy()
{
    auto v = Noise(2);
    for (size_t i = 0; i < kFrames; ++i)
        v[i] = float(std::nearbyint((v[i] + kTone * std::sin(6.283185307179586 * kFreq * double(i) / kRate)) * 32768) /
                     32768);
    return v;
}

void Measure(const char* name, const std::vector<float>& out)
{
    const auto in = Noisy();
    double re = 0, im = 0;
    for (size_t i = kSkip; i < kFrames; ++i) {
        const double w = 6.283185307179586 * kFreq * double(i) / kRate;
        re += out[i] * std::cos(w);
        im += out[i] * std::sin(w);
    }
    const double n = double(kFrames - kSkip);
    re *= 2 / n;
    im *= 2 / n;
    double noiseIn = 0, noiseOut = 0;
    for (size_t i = kSkip; i < kFrames; ++i) {
        const double w = 6.283185307179586 * kFreq * double(i) / kRate;
        const double r = out[i] - re * std::cos(w) - im * std::sin(w);
        const double s = in[i] - kTone * std::sin(w);
        noiseOut += r * r;
        noiseIn += s * s;
    }
    std::printf("%-24s tone loss %6.2f dB   noise drop %6.2f dB\n", name,
                -20 * std::log10(std::sqrt(re * re + im * im) / kTone), -10 * std::log10(noiseOut / noiseIn));
}

std::vector<int16_t> Pcm(const std::vector<float>& v)
{
    std::vector<int16_t> p(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        p[i] = int16_t(std::max(-32768.0, std::min(32767.0, std::nearbyint(v[i] * 32768.0))));
    return p;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "measure") == 0) {
        FILE* f = std::fopen(argv[2], "rb");
        if (!f)
            return 1;
        std::vector<int16_t> p(kFrames);
        const size_t got = std::fread(p.data(), 2, kFrames, f);
        std::fclose(f);
        std::vector<float> v(kFrames, 0.0f);
        for (size_t i = 0; i < got; ++i)
            v[i] = float(p[i] / 32768.0);
        Measure("", v);
        return 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "write") != 0)
        return 2;
    const std::string folder = argv[2];
    if (!kvtest::WriteWav16(folder + "\\noise.wav", 1, uint32_t(kRate), Pcm(Noise(1))) ||
        !kvtest::WriteWav16(folder + "\\noisy.wav", 1, uint32_t(kRate), Pcm(Noisy())))
        return 1;
    fx::ProfileLearnerKernel learner;
    const auto lv = fxkit::TableValues(fx::kProfileLearnerParams, {});
    const auto noise = Noise(1);
    std::vector<float> passed(kFrames);
    learner.Prepare({kRate, 1, 1}, lv.data());
    learner.Process(noise.data(), passed.data(), kFrames);
    fxkit::NoiseProfile profile;
    learner.Result(profile);
    for (double reduction : {6.0, 10.0, 20.0, 30.0, 40.0}) {
        fx::SpectralSubtractionKernel remover;
        remover.SetProfile(profile);
        const auto rv = fxkit::TableValues(fx::kSpectralSubtractionParams, {{fx::kSpsReduction, reduction}});
        remover.Prepare({kRate, 1, 1}, rv.data());
        auto in = Noisy();
        const size_t latency = remover.Latency();
        in.resize(kFrames + latency, 0.0f);
        std::vector<float> out(in.size());
        remover.Process(in.data(), out.data(), in.size());
        out.erase(out.begin(), out.begin() + long(latency));
        Measure(("ours reduction " + std::to_string(int(reduction)) + " dB").c_str(), out);
    }
    return 0;
}
