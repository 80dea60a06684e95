// The equaliser in a graph built by the platform's filter graph manager from a WAV file:
// the file source and the system's WAVE parser feed the module, loaded by file name.
#include "WavFile.h"
#include "EqModule.h"

#include "GraphRunner.h"
#include "GraphicEqParams.h"
#include "TestFilters.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const double kPi = std::acos(-1.0);
constexpr DWORD kRate = 44100;
constexpr size_t kFrames = kRate * 3;
const double kTones[] = {125.0, 1000.0, 8000.0};
constexpr double kToneAmplitude = 2500.0;

std::vector<int16_t> ThreeTones()
{
    std::vector<int16_t> v(kFrames * 2);
    for (size_t i = 0; i < kFrames; ++i) {
        double s = 0;
        for (double f : kTones)
            s += kToneAmplitude * std::sin(2.0 * kPi * f * double(i) / kRate);
        v[2 * i] = v[2 * i + 1] = int16_t(s);
    }
    return v;
}

// Amplitude of a tone in the left channel over the middle second.
double ToneAmplitude(const std::vector<uint8_t>& bytes, double freq)
{
    const size_t frames = bytes.size() / 4;
    const size_t from = frames / 3, to = from + kRate;
    double re = 0, im = 0;
    for (size_t i = from; i < to && i < frames; ++i) {
        int16_t s;
        std::memcpy(&s, bytes.data() + 4 * i, 2);
        re += s * std::cos(2.0 * kPi * freq * double(i) / kRate);
        im += s * std::sin(2.0 * kPi * freq * double(i) / kRate);
    }
    return 2.0 * std::sqrt(re * re + im * im) / double(to - from);
}

} // namespace

using EqWavGraph = EqModule;

TEST_F(EqWavGraph, FileGraphAppliesTheBandGainsAtTheirCentresInBothModes)
{
    kvtest::ScratchFolder folder;
    const std::string path = folder.File("tones.wav");
    ASSERT_TRUE(kvtest::WriteWav16(path, 2, kRate, ThreeTones()));
    const std::wstring widePath(path.begin(), path.end());

    struct Case {
        int mode;
        double expectDb[3];
    } cases[] = {{0, {12.0, -12.0, 6.0}}, {1, {6.0, -6.0, 3.0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode ? "FIR" : "IIR");
        ComRef<IBaseFilter> filter(CreateFilter());
        ASSERT_TRUE(filter);
        ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));
        const int block[geq::kParamCount] = {0, 0, 120, 0, 0, -120, 0, 0, 60, 0, 0, c.mode};
        eq->SetAll(block);

        kvtest::TestGraph graph;
        ASSERT_TRUE(graph.Ok());
        IBaseFilter* rawSource = nullptr;
        ASSERT_EQ(graph.Graph()->AddSourceFilter(widePath.c_str(), L"file", &rawSource), S_OK);
        ComRef<IBaseFilter> source(rawSource);
        ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
        ASSERT_EQ(graph.Add(filter.Get(), L"eq"), S_OK);
        ASSERT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
        ComRef<IPin> sourceOut(kvtest::FirstPin(source.Get(), PINDIR_OUTPUT));
        ComRef<IPin> eqIn(kvtest::FirstPin(filter.Get(), PINDIR_INPUT));
        ComRef<IPin> eqOut(kvtest::FirstPin(filter.Get(), PINDIR_OUTPUT));
        ComRef<IPin> rendererIn(kvtest::FirstPin(renderer.Get(), PINDIR_INPUT));
        // The graph manager puts its WAVE parser between the file and the equaliser.
        ASSERT_EQ(graph.Graph()->Connect(sourceOut.Get(), eqIn.Get()), S_OK);
        ASSERT_EQ(graph.Graph()->ConnectDirect(eqOut.Get(), rendererIn.Get(), nullptr), S_OK);
        ASSERT_EQ(graph.RunToEnd(60000), EC_COMPLETE);
        graph.Stop();

        const auto& out = renderer->received;
        EXPECT_EQ(out.size(), kFrames * 4);
        for (int t = 0; t < 3; ++t) {
            const double db = 20.0 * std::log10(ToneAmplitude(out, kTones[t]) / kToneAmplitude);
            EXPECT_NEAR(db, c.expectDb[t], 1.0) << kTones[t] << " Hz";
        }
    }
}
