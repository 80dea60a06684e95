// Times every generator kernel making ten minutes of 44.1 kHz stereo float sound in
// 4096-frame blocks, as the generator's stream asks. Lines "FPS <name> <frames per second>"
// are for run.sh, which sets sox's synth beside them.
#include "FmToneKernel.h"
#include "NoiseKernel.h"
#include "SilenceKernel.h"
#include "ToneKernel.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 44100;
constexpr size_t kFrames = 44100 * 600;
constexpr size_t kBlock = 4096;

struct Case {
    const char* name;
    std::function<std::unique_ptr<fxkit::GeneratorKernel>()> make;
    std::vector<double> values;
};

template <class K>
std::function<std::unique_ptr<fxkit::GeneratorKernel>()> Make()
{
    return [] { return std::make_unique<K>(); };
}

} // namespace

int main()
{
    using namespace fx;
    const std::vector<Case> cases = {
        {"Sine", Make<ToneKernel>(), fxkit::TableValues(kToneParams, {{kToneFrequency, 1000}})},
        {"Square", Make<ToneKernel>(), fxkit::TableValues(kToneParams, {{kToneWave, kSquare}, {kToneFrequency, 1000}})},
        {"Fmod", Make<FmToneKernel>(), fxkit::TableValues(kFmParams, {{kFmCarrier, 1000}, {kFmModulator, 200}})},
        {"WhiteNoise", Make<NoiseKernel>(), fxkit::TableValues(kNoiseParams, {{kNoiseColour, kWhite}})},
        {"PinkNoise", Make<NoiseKernel>(), fxkit::TableValues(kNoiseParams, {{kNoiseColour, kPink}})},
        {"BrownNoise", Make<NoiseKernel>(), fxkit::TableValues(kNoiseParams, {{kNoiseColour, kBrown}})},
        {"Silence", Make<SilenceKernel>(), std::vector<double>(fxkit::kMaxParams, 0.0)},
    };
    std::vector<float> out(kBlock * 2);
    std::printf("GeneratorBench: %zu frames (600 s of 44.1 kHz stereo float), %zu-frame blocks\n", kFrames, kBlock);
    for (const Case& c : cases) {
        auto k = c.make();
        const auto start = std::chrono::steady_clock::now();
        k->Prepare({kRate, 2, int64_t(kFrames)}, c.values.data());
        float sink = 0;
        for (size_t pos = 0; pos < kFrames; pos += kBlock) {
            k->Generate(out.data(), std::min(kBlock, kFrames - pos));
            sink += out[0];
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-18s %8.3f s %14.0f frames/s (%.0fx real time)%s\n", c.name, s, kFrames / s, 600.0 / s,
                    sink == 12345.f ? "!" : "");
        std::printf("FPS %s %.0f\n", c.name, kFrames / s);
    }
    return 0;
}
