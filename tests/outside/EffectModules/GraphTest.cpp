// Each module in a graph of the platform's graph manager: the test source feeds it 16-bit or
// float sound (plain and extensible) in every channel count it takes, the test renderer keeps
// what comes out. Frames out equal frames in (plus an echo's tail, or times a stretch), the
// sound is what the module's kernel makes of it, and the formats it does not take are refused
// at connection.
#include "EffectModuleKit.h"

#include "GraphRunner.h"
#include "MediaType.h"

using namespace fxtest;

namespace {

class EffectGraph : public testing::TestWithParam<ModuleRow> {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    const ModuleRow& Row() const { return GetParam(); }
};

} // namespace

TEST_P(EffectGraph, EveryTakenFormatComesOutFrameForFrameAsTheKernelMakesIt)
{
    constexpr size_t kFrames = 30011; // no multiple of the source's buffers
    for (int channels : {1, 2, 6}) {
        if (!(Row().inputs & (1u << channels)))
            continue;
        const int outChannels = Row().outputChannels ? Row().outputChannels : channels;
        for (int kind = 0; kind < 2; ++kind) {
            const bool isFloat = kind != 0;
            SCOPED_TRACE(testing::Message() << channels << " channels, " << (isFloat ? "float" : "16-bit"));
            auto filter = CreateFilter(Row());
            ApplySettings(filter.Get(), Row());
            const auto values = ValuesOf(filter.Get());
            const auto in = Noise(kFrames, channels, 0.25, unsigned(channels * 10 + kind));
            const auto inBytes = ToBytes(in, isFloat);
            HRESULT connect = E_FAIL;
            WAVEFORMATEX outFormat{};
            const auto out = FromBytes(
                RunGraph(filter.Get(), Wave(isFloat, channels), inBytes, 4410, &connect, &outFormat), isFloat);
            ASSERT_EQ(connect, S_OK);
            EXPECT_EQ(outFormat.nChannels, outChannels);
            EXPECT_EQ(outFormat.wBitsPerSample, isFloat ? 32 : 16);
            auto kernel = Row().kernel();
            const size_t length = size_t(std::llround(kFrames * kernel->LengthRatio(values.data())));
            ASSERT_EQ(out.size(), (length + kernel->TailFrames(values.data(), 44100)) * size_t(outChannels));
            const auto expected =
                KernelOutput(*kernel, FromBytes(inBytes, isFloat), channels, outChannels, values.data());
            const double tolerance = isFloat ? 1e-6 : 1.01 / 32768;
            for (size_t i = 0; i < out.size(); ++i)
                if (std::fabs(out[i] - std::max(-1.0f, std::min(expected[i], isFloat ? 1e9f : 32767.0f / 32768))) >
                    tolerance) {
                    ADD_FAILURE() << "sample " << i << ": " << out[i] << " expected " << expected[i];
                    break;
                }
        }
    }
}

// The test source speaks plain formats only: the extensible ones are offered to the pin.
TEST_P(EffectGraph, InputTakesTheExtensibleFormsOfItsFormats)
{
    auto filter = CreateFilter(Row());
    ComRef<IPin> in(kvtest::FirstPin(filter.Get(), PINDIR_INPUT));
    for (int channels : {1, 2, 6})
        for (bool isFloat : {false, true}) {
            const auto w = Wave(isFloat, channels, 44100, true);
            MediaType mt;
            ASSERT_EQ(MakeAudioMediaType(w.Format, mt), S_OK);
            const bool taken = Row().inputs & (1u << channels);
            EXPECT_EQ(in->QueryAccept(mt.Ptr()), taken ? S_OK : S_FALSE) << channels << (isFloat ? " float" : " pcm");
        }
}

TEST_P(EffectGraph, RefusesEightBitsThreeChannelsAndChannelCountsItDoesNotTake)
{
    struct Case {
        const char* what;
        WAVEFORMATEXTENSIBLE w;
    };
    std::vector<Case> cases;
    auto eight = Wave(false, 2);
    eight.Format.wBitsPerSample = 8;
    eight.Format.nBlockAlign = 2;
    eight.Format.nAvgBytesPerSec = 88200;
    cases.push_back({"8 bits", eight});
    cases.push_back({"3 channels", Wave(false, 3)});
    for (int channels : {1, 2, 6})
        if (!(Row().inputs & (1u << channels)))
            cases.push_back({channels == 1 ? "mono" : channels == 2 ? "stereo" : "six channels", Wave(true, channels)});
    for (const auto& c : cases) {
        auto filter = CreateFilter(Row());
        HRESULT connect = S_OK;
        const auto out = RunGraph(filter.Get(), c.w, std::vector<uint8_t>(4096), 256, &connect);
        EXPECT_TRUE(FAILED(connect)) << c.what;
        EXPECT_TRUE(out.empty()) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, EffectGraph, testing::ValuesIn(Modules()),
                         [](const testing::TestParamInfo<ModuleRow>& info) {
                             std::string name = RowName(info.param);
                             return name.substr(0, name.find('.'));
                         });
