// Every sample loop runs without the toolchain's maths library: the calls made while a loop
// works through a few blocks are counted (LibraryMathCount) and must stay a few per block (a
// coefficient worked out per block or per hop); a call per sample or per bin counts in the
// thousands.
#include "EffectModuleKit.h"
#include "LibraryMathCount.h"
#include "TestSupport.h"

#include "Clip.h"
#include "FmToneKernel.h"
#include "ItemList.h"
#include "MixKernel.h"
#include "NoiseKernel.h"
#include "NoiseSubtractionKernel.h"
#include "ParamInfo.h"
#include "PcmCodec.h"
#include "PlaybackRenderer.h"
#include "ProfileLearnerKernel.h"
#include "ToneKernel.h"
#include "TrackSet.h"

#include <cmath>
#include <cstdio>
#include <functional>

using namespace fxtest;

namespace {

constexpr size_t kBlock = 4096;
constexpr int kBlocks = 3;
// Calls allowed per block: one per 64 frames at most.
constexpr long kPerBlock = kBlock / 64;

// Runs work() once uncounted (first-use set-up), then kBlocks times under the count.
void ExpectNoCallPerSample(const std::string& what, const std::function<void()>& work)
{
    work();
    kvtest::LibraryMathCount count;
    for (int b = 0; b < kBlocks; ++b)
        work();
    EXPECT_LE(count.Calls(), kPerBlock * kBlocks) << what << ": " << count.Which();
}

// A kernel through a few blocks of noise as a stream runs it: measured first when it measures,
// stretched when it changes the length.
void ExpectKernelFree(const std::string& what, fxkit::EffectKernel& kernel, const std::vector<double>& values, int in,
                      int out)
{
    kernel.Prepare({44100, in, out}, values.data());
    const std::vector<float> input = Noise(kBlock, in, 0.5, 3);
    std::vector<float> output(kBlock * size_t(out) * 4);
    std::vector<float> stretched;
    if (kernel.Measures()) {
        kernel.BeginMeasure();
        ExpectNoCallPerSample(what + " measuring", [&] { kernel.Measure(input.data(), kBlock); });
        kernel.EndMeasure();
    }
    if (kernel.LengthRatio(values.data()) != 1.0) {
        ExpectNoCallPerSample(what, [&] {
            stretched.clear();
            kernel.Stretch(input.data(), kBlock, stretched);
        });
        return;
    }
    ExpectNoCallPerSample(what, [&] { kernel.Process(input.data(), output.data(), kBlock); });
}

// The count sees the library's calls at all (the wrapping is in place).
TEST(SampleLoopMathCount, CountsEachCallIntoTheLibrary)
{
    volatile double x = 0.5;
    volatile float y = 2.5f;
    kvtest::LibraryMathCount count;
    x = std::sin(x) + std::pow(x, 1.5);
    y = std::nearbyint(y) + float(std::lround(y));
    EXPECT_EQ(4, count.Calls()) << count.Which();
}

struct SampleLoopMath : testing::Test {
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(SampleLoopMath, EffectKernelsProcessWithoutTheMathsLibrary)
{
    for (const ModuleRow& row : Modules()) {
        auto filter = CreateFilter(row);
        ASSERT_TRUE(filter) << row.dll;
        ApplySettings(filter.Get(), row);
        const std::vector<double> values = ValuesOf(filter.Get());
        const int in = row.inputs & kStereo ? 2 : row.inputs & kMono ? 1 : 6;
        auto kernel = row.kernel();
        ExpectKernelFree(row.dll, *kernel, values, in, row.outputChannels ? row.outputChannels : in);
    }
}

TEST_F(SampleLoopMath, NoiseProfilePairWorksWithoutTheMathsLibrary)
{
    fx::ProfileLearnerKernel learner;
    ExpectKernelFree("noise profile", learner, fxkit::TableValues(fx::kProfileLearnerParams, {}), 2, 2);
    fxkit::NoiseProfile profile;
    ASSERT_TRUE(learner.Result(profile));
    fx::SpectralSubtractionKernel remover;
    remover.SetProfile(profile);
    ExpectKernelFree("noise removal", remover,
                     fxkit::TableValues(fx::kSpectralSubtractionParams, {{fx::kSpsReduction, 30}}), 2, 2);
}

TEST(SampleLoopMathGenerators, GeneratorsMakeSoundWithoutTheMathsLibrary)
{
    using namespace fx;
    struct Case {
        const char* name;
        std::unique_ptr<fxkit::GeneratorKernel> kernel;
        std::vector<double> values;
    };
    Case cases[] = {
        {"sine", std::make_unique<ToneKernel>(), fxkit::TableValues(kToneParams, {{kToneFrequency, 1000}})},
        {"square from its table", std::make_unique<ToneKernel>(),
         fxkit::TableValues(kToneParams, {{kToneWave, kSquare}, {kToneFrequency, 1000}})},
        {"sawtooth summed per sample", std::make_unique<ToneKernel>(),
         fxkit::TableValues(kToneParams, {{kToneWave, kSawtooth}, {kToneFrequency, 1}})},
        {"triangle, linear sweep", std::make_unique<ToneKernel>(),
         fxkit::TableValues(kToneParams, {{kToneWave, kTriangle}, {kToneSweep, kLinearSweep}})},
        {"sine, logarithmic sweep", std::make_unique<ToneKernel>(),
         fxkit::TableValues(kToneParams, {{kToneSweep, kLogSweep}})},
        {"FM tone", std::make_unique<FmToneKernel>(), fxkit::TableValues(kFmParams, {{kFmIndex, 5}})},
        {"white noise", std::make_unique<NoiseKernel>(), fxkit::TableValues(kNoiseParams, {{kNoiseColour, kWhite}})},
        {"pink noise", std::make_unique<NoiseKernel>(), fxkit::TableValues(kNoiseParams, {{kNoiseColour, kPink}})},
        {"brown noise", std::make_unique<NoiseKernel>(), fxkit::TableValues(kNoiseParams, {{kNoiseColour, kBrown}})},
    };
    std::vector<float> out(kBlock * 2);
    for (Case& c : cases) {
        c.kernel->Prepare({44100, 2, 44100 * 10}, c.values.data());
        ExpectNoCallPerSample(c.name, [&] { c.kernel->Generate(out.data(), kBlock); });
    }
}

TEST(SampleLoopMathEngine, MixAndSampleCodecWithoutTheMathsLibrary)
{
    // Tracks of every sample kind and width, with moving level and pan.
    const std::vector<float> noise = Noise(kBlock, 6, 0.5, 5);
    std::vector<uint8_t> u8(noise.size()), s16(noise.size() * 2);
    pcm::Encode(noise.data(), noise.size(), pcm::Form::U8, u8.data());
    pcm::Encode(noise.data(), noise.size(), pcm::Form::S16, s16.data());
    MixTrack track;
    track.level.points = {{0, 0.2f}, {100000, 1.0f}};
    track.panEnv.points = {{0, -0.5f}, {100000, 0.5f}};
    for (int outputs : {1, 2, 6}) {
        for (int channels : {1, 2, 6}) {
            track.channels = channels;
            MixKernel kernel;
            kernel.Prepare({outputs, int(kBlock), 0.9f, true});
            const MixRun runs[] = {{0, int(kBlock), {u8.data(), MixSampleKind::U8, channels}},
                                   {0, int(kBlock), {s16.data(), MixSampleKind::S16, channels}},
                                   {0, int(kBlock), {noise.data(), MixSampleKind::F32, channels}}};
            std::vector<MixInput> inputs;
            for (const MixRun& run : runs)
                inputs.push_back({&track, 300, &run, 1});
            std::vector<float> out(kBlock * size_t(outputs));
            ExpectNoCallPerSample("mix to " + std::to_string(outputs) + " of " + std::to_string(channels),
                                  [&] { kernel.Process(inputs.data(), inputs.size(), int(kBlock), out.data()); });
        }
    }
    // Every form to and from float and to every other form.
    std::vector<uint8_t> stored(noise.size() * 4), back(noise.size() * 4);
    std::vector<float> floats(noise.size());
    for (int from = 0; from <= int(pcm::Form::F32BE); ++from) {
        const pcm::Form f = pcm::Form(from);
        ExpectNoCallPerSample("codec " + std::to_string(from), [&] {
            pcm::Encode(noise.data(), noise.size(), f, stored.data());
            pcm::Decode(f, stored.data(), noise.size(), floats.data());
            for (int to = 0; to <= int(pcm::Form::F32BE); ++to)
                pcm::Requantise(f, stored.data(), noise.size(), pcm::Form(to), back.data());
        });
    }
}

// The engine's playback path as the transport runs it: items read, mixed with envelopes and
// converted to 16 bits.
TEST(SampleLoopMathEngine, PlaybackRendersWithoutTheMathsLibrary)
{
    kvtest::ScratchFolder scratch;
    constexpr DWORD kRate = 44100;
    constexpr LONGLONG kFrames = kRate * 2;
    ComRef<IMtTrackSet> set(CTrackSet::Create<CTrackSet>());
    ASSERT_EQ(S_OK, set->SetFormat(16, kRate));
    const std::vector<float> noise = Noise(size_t(kFrames), 2, 0.5, 9);
    int n = 0;
    for (WORD bits : {8, 16, 32}) {
        const pcm::Form form = bits == 8 ? pcm::Form::U8 : bits == 16 ? pcm::Form::S16 : pcm::Form::F32;
        std::vector<uint8_t> data(noise.size() * bits / 8);
        pcm::Encode(noise.data(), noise.size(), form, data.data());
        const std::string path = scratch.File("item" + std::to_string(n++) + ".raw");
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
        MtFileItemRecord record = {};
        std::snprintf(record.path, sizeof record.path, "%s", path.c_str());
        record.channels = 2;
        record.bitsPerSample = bits;
        record.samplesPerSec = kRate;
        ComRef<IMtItemList> list(CItemList::Create<CItemList>());
        ASSERT_EQ(S_OK, list->AddFileItem(&record, path.c_str(), nullptr, 0));
        list->ResetItems(0);
        IUnknown* item = nullptr;
        ASSERT_EQ(S_OK, list->NextItem(&item, nullptr));
        ComRef<IUnknown> itemRef(item);
        ComRef<IMtClip> clip(CClip::Create<CClip>());
        ASSERT_EQ(S_OK, clip->SetSource(item, 0, kFrames));
        IMtTrack* track = nullptr;
        ASSERT_EQ(S_OK, set->InsertTrack(0, 2, &track, -1));
        ComRef<IMtTrack> trackRef(track);
        ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), 0, 0, 0));
        track->SetVolume(0.7f);
        track->SetPan(0.3f);
        IMtEnvelopeSet* envelopes = nullptr;
        ASSERT_EQ(S_OK, track->QueryInterface(__uuidof(IMtEnvelopeSet), reinterpret_cast<void**>(&envelopes)));
        ComRef<IMtEnvelopeSet> envelopesRef(envelopes);
        IMtEnvelope* level = nullptr;
        ASSERT_EQ(S_OK, envelopes->GetEnvelope(kMtEnvLevel, &level));
        ComRef<IMtEnvelope> levelRef(level);
        level->InsertPoint(0, 0.5f);
        level->InsertPoint(kFrames, 1.0f);
    }
    PlaybackRenderer renderer;
    ASSERT_EQ(S_OK, renderer.Begin(set.Get(), 0, kFrames));
    std::vector<int16_t> block(kBlock * 2);
    ExpectNoCallPerSample("playback", [&] {
        LONGLONG from = 0;
        HRESULT hr = S_OK;
        EXPECT_EQ(kBlock, renderer.Render(block.data(), kBlock, &from, &hr));
    });
}

} // namespace
