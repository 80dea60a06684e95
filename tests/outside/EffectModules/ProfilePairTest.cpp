// Get Noise Profile and Remove Noise as the program runs them: the learner over a selection of
// noise writes the profile below the work folder, the program reads "Ch" and "Fs" from it, the
// remover reads it at its stream start; a stopped learn leaves no profile, and a missing,
// damaged or foreign profile fails the removal cleanly. Then the two kernels' signal checks.
#include "EffectModuleKit.h"

#include "FilterConformance.h"
#include "GraphRunner.h"
#include "IEffectEnvironment.h"
#include "IEffectParameters.h"
#include "TestFilters.h"

#include "Fft.h"
#include "KvSESpLr.h"
#include "KvSESpSb.h"
#include "NoiseProfile.h"
#include "ProfileLearnerKernel.h"
#include "NoiseSubtractionKernel.h"

#include <fstream>
#include <iterator>

using namespace fxtest;

namespace {

const ModuleRow& kLearner = ProfileModules()[0];
const ModuleRow& kRemover = ProfileModules()[1];

class ProfilePair : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "kvprofile" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        profile = folder + kNoiseProfileFile;
        DeleteFileA(profile.c_str());
    }
    void TearDown() override
    {
        DeleteFileA(profile.c_str());
        RemoveDirectoryA((folder + "\\KvSSpectralSubtraction").c_str());
        RemoveDirectoryA(folder.c_str());
        CoUninitialize();
    }
    ComRef<IBaseFilter> Filter(const ModuleRow& row)
    {
        auto f = CreateFilter(row);
        ApplySettings(f.Get(), row);
        EXPECT_EQ(Query<IEffectWorkFolder>(f.Get())->SetWorkFolder(folder.c_str()), S_OK);
        return f;
    }
    bool ProfileExists() const { return GetFileAttributesA(profile.c_str()) != INVALID_FILE_ATTRIBUTES; }
    void WriteProfile(const std::string& text) const
    {
        CreateDirectoryA((folder + "\\KvSSpectralSubtraction").c_str(), nullptr);
        std::ofstream(profile, std::ios::binary) << text;
    }
    std::string folder, profile;
};

// source -> filter -> renderer; the run's end code (-1 when it did not start) and the output.
long RunEffect(IBaseFilter* filter, const std::vector<float>& in, int channels, std::vector<float>* out = nullptr,
               DWORD stopAfterMs = 0)
{
    kvtest::TestGraph graph;
    const auto w = Wave(false, channels);
    ComRef<kvtest::TestPcmSource> source(kvtest::TestPcmSource::New(w.Format, ToBytes(in, false), 4410));
    if (stopAfterMs)
        source->delayPerBufferMs = 20;
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    graph.Add(source.Get(), L"source");
    graph.Add(filter, L"effect");
    graph.Add(renderer.Get(), L"renderer");
    EXPECT_EQ(graph.Connect(source.Get(), filter), S_OK);
    EXPECT_EQ(graph.Connect(filter, renderer.Get()), S_OK);
    long code = 0;
    if (stopAfterMs) {
        code = SUCCEEDED(graph.Control()->Run()) ? 0 : -1;
        Sleep(stopAfterMs);
    } else {
        code = graph.RunToEnd(30000);
    }
    graph.Stop();
    if (out)
        *out = FromBytes(renderer->received, false);
    graph.Graph()->RemoveFilter(filter);
    return code;
}

std::vector<float> ToneInNoise(size_t frames, int channels, unsigned seed)
{
    auto v = Noise(frames, channels, 0.05, seed);
    const auto tone = Sine(1000, 0.1, 44100, frames, channels);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] += tone[i];
    return v;
}

} // namespace

TEST_F(ProfilePair, LearnThenTheProgramReadsChAndFsThenRemove)
{
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        auto learner = Filter(kLearner);
        std::vector<float> passed;
        const auto noise = Noise(44100, channels, 0.05, 3);
        ASSERT_EQ(RunEffect(learner.Get(), noise, channels, &passed), EC_COMPLETE);
        EXPECT_EQ(passed.size(), noise.size()) << "the learner passes the sound";
        ASSERT_TRUE(ProfileExists());
        EXPECT_EQ(GetFileAttributesA((profile + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
        // As the program checks the profile before it offers the removal.
        char text[33] = {};
        GetPrivateProfileStringA("StreamProperty", "Ch", "", text, 32, profile.c_str());
        EXPECT_EQ(std::atoi(text), channels);
        EXPECT_EQ(GetPrivateProfileIntA("StreamProperty", "Fs", 0, profile.c_str()), 44100);
        auto remover = Filter(kRemover);
        std::vector<float> out;
        const auto in = ToneInNoise(44100, channels, 4);
        ASSERT_EQ(RunEffect(remover.Get(), in, channels, &out), EC_COMPLETE);
        ASSERT_EQ(out.size(), in.size());
        const double toneIn = ToneAmplitude(in, channels, 0, 1000, 44100, 4410, 35280);
        const double toneOut = ToneAmplitude(out, channels, 0, 1000, 44100, 4410, 35280);
        EXPECT_NEAR(Db(toneOut / toneIn), 0.0, 1.0);
    }
}

TEST_F(ProfilePair, AStoppedLearnLeavesNoProfile)
{
    auto learner = Filter(kLearner);
    RunEffect(learner.Get(), Noise(441000, 2, 0.05, 3), 2, nullptr, 150);
    EXPECT_FALSE(ProfileExists());
    EXPECT_EQ(GetFileAttributesA((profile + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    // Without a work folder there is nowhere to learn into: the run ends as an error.
    auto homeless = CreateFilter(kLearner);
    EXPECT_EQ(RunEffect(homeless.Get(), Noise(4410, 2, 0.05, 3), 2), EC_ERRORABORT);
}

TEST_F(ProfilePair, MissingDamagedOrForeignProfilesFailTheRemovalCleanly)
{
    auto learner = Filter(kLearner);
    ASSERT_EQ(RunEffect(learner.Get(), Noise(22050, 2, 0.05, 3), 2), EC_COMPLETE);
    std::ifstream file(profile, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    std::string badBin = good;
    badBin.replace(badBin.find("Ch1=") + 4, 1, "x");
    const std::pair<const char*, std::string> cases[] = {
        {"missing", ""},
        {"cut short", good.substr(0, good.size() / 2)},
        {"not a number", badBin},
        {"foreign channels", std::string(good).replace(good.find("Ch=2"), 4, "Ch=1")},
        {"foreign rate", std::string(good).replace(good.find("Fs=44100"), 8, "Fs=48000")},
        {"bad size", std::string(good).replace(good.find("FftSize=1024"), 12, "FftSize=1000")},
    };
    const auto in = ToneInNoise(8820, 2, 5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        DeleteFileA(profile.c_str());
        if (!c.second.empty())
            WriteProfile(c.second);
        auto remover = Filter(kRemover);
        const long code = RunEffect(remover.Get(), in, 2);
        EXPECT_EQ(code, EC_ERRORABORT);
        // The same filter runs once the profile is good again.
        WriteProfile(good);
        EXPECT_EQ(RunEffect(remover.Get(), in, 2), EC_COMPLETE);
    }
}

TEST_F(ProfilePair, BothPassTheFilterConformanceSequence)
{
    // The remover needs a profile of the sequence's stream (mono 16-bit 44.1 kHz).
    auto learner = Filter(kLearner);
    ASSERT_EQ(RunEffect(learner.Get(), Noise(22050, 1, 0.05, 3), 1), EC_COMPLETE);
    for (const ModuleRow* row : {&kLearner, &kRemover}) {
        SCOPED_TRACE(row->dll);
        auto filter = Filter(*row);
        const auto w = Wave(false, 1);
        ComRef<kvtest::TestPcmSource> source(
            kvtest::TestPcmSource::New(w.Format, ToBytes(Noise(44100, 1, 0.3, 3), false), 4410));
        ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
        kvtest::ConformanceSetup setup{row->clsid, 1, 1};
        setup.upstream = source.Get();
        setup.downstream = renderer.Get();
        kvtest::CheckFilterConformance(filter.Get(), setup);
    }
}

// ---- signal checks ----

TEST(ProfilePairDsp, WhiteNoiseProfileIsFlat)
{
    fx::ProfileLearnerKernel learner;
    const auto values = fxkit::TableValues(fx::kProfileLearnerParams, {{fx::kSplFftSize, 2}});
    const auto noise = Noise(88200, 1, 0.1, 9);
    auto out = KernelOutput(learner, noise, 1, 1, values.data());
    EXPECT_EQ(out, noise);
    fxkit::NoiseProfile p;
    ASSERT_TRUE(learner.Result(p));
    ASSERT_EQ(p.power[0].size(), 1025u);
    // Third-octave bands from 100 Hz to 16 kHz, each within 1 dB of the mean.
    std::vector<double> bands;
    for (double f = 100; f < 16000; f *= std::pow(2.0, 1.0 / 3)) {
        double sum = 0;
        int n = 0;
        for (size_t k = size_t(f / 44100 * 2048); k <= size_t(f * std::pow(2.0, 1.0 / 3) / 44100 * 2048); ++k, ++n)
            sum += p.power[0][k];
        bands.push_back(10 * std::log10(sum / n));
    }
    double mean = 0;
    for (double b : bands)
        mean += b / double(bands.size());
    for (size_t i = 0; i < bands.size(); ++i)
        EXPECT_NEAR(bands[i], mean, 1.0) << "band " << i;
}

TEST(ProfilePairDsp, RemovalDropsWhiteNoiseAndKeepsTheTone)
{
    fx::ProfileLearnerKernel learner;
    const auto lv = fxkit::TableValues(fx::kProfileLearnerParams, {});
    KernelOutput(learner, Noise(88200, 1, 0.05, 1), 1, 1, lv.data());
    fxkit::NoiseProfile p;
    ASSERT_TRUE(learner.Result(p));
    const auto rv = fxkit::TableValues(fx::kSpectralSubtractionParams, {{fx::kSpsReduction, 30}});
    // Noise alone (another stretch of it): at least 15 dB less power, past the first frames.
    fx::SpectralSubtractionKernel remover;
    remover.SetProfile(p);
    const auto noise = Noise(88200, 1, 0.05, 2);
    const auto cleaned = KernelOutput(remover, noise, 1, 1, rv.data());
    double before = 0, after = 0;
    for (size_t i = 8820; i < noise.size(); ++i)
        before += double(noise[i]) * noise[i], after += double(cleaned[i]) * cleaned[i];
    EXPECT_LT(10 * std::log10(after / before), -15.0);
    // A 1 kHz tone in the same noise keeps its level within 1 dB.
    fx::SpectralSubtractionKernel again;
    again.SetProfile(p);
    const auto in = ToneInNoise(88200, 1, 2);
    const auto out = KernelOutput(again, in, 1, 1, rv.data());
    EXPECT_NEAR(Db(ToneAmplitude(out, 1, 0, 1000, 44100, 8820, 79380) / 0.1), 0.0, 1.0);
}

TEST(ProfilePairDsp, ProfileTextRoundTripsAndRefusesDamage)
{
    fxkit::NoiseProfile p;
    p.channels = 2;
    p.rate = 48000;
    p.fftSize = 512;
    p.power.assign(2, std::vector<double>(257, 0.25));
    p.power[1][7] = 3e-9;
    fxkit::NoiseProfile q;
    ASSERT_TRUE(fxkit::ParseProfile(fxkit::FormatProfile(p), q));
    EXPECT_EQ(q.channels, 2);
    EXPECT_EQ(q.rate, 48000);
    EXPECT_EQ(q.power, p.power);
    std::string text = fxkit::FormatProfile(p);
    for (const std::string& bad :
         {text.substr(0, text.size() - 10), std::string(text).replace(text.find("Fs=48000"), 8, "Fs="),
          std::string("garbage")}) {
        fxkit::NoiseProfile r = q;
        EXPECT_FALSE(fxkit::ParseProfile(bad, r)) << bad.substr(0, 40);
        EXPECT_EQ(r.power, q.power) << "unchanged";
    }
}
