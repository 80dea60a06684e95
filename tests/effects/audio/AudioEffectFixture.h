// The effect tests' fixture for sound heard at the sound server's null sink: the capture of its
// monitor running, the skin loaded and the program's effect dialogs installed.
#pragma once
#include "AudioRig.h"
#include "EffectFixture.h"
#include "EffectProgramHost.h"
#include "PaneSkin.h"

#include <algorithm>
#include <cmath>

namespace fxtest {

class AudioEffectTest : public EffectTest {
public:
    static constexpr LONGLONG kRate = 48000;

    // A tone's level heard over half a second from a tenth of a second on, in dB of full scale.
    static double HeardDb(double hz)
    {
        rig::Capture& capture = rig::Capture::Get();
        const LONGLONG from = capture.Now() + kRate / 10;
        capture.WaitFor(from + kRate / 2, 5000);
        const std::vector<int16_t> heard = capture.Take(from, from + kRate / 2);
        const double amplitude = rig::ToneAmplitude(heard, 0, hz, 0, heard.size() / 2);
        return 20.0 * std::log10(std::max(amplitude, 1e-9));
    }

protected:
    void SetUp() override
    {
        EffectTest::SetUp();
        ASSERT_TRUE(rig::Capture::Get().WaitRunning(8000)) << "no capture of the sound server";
        ASSERT_TRUE(skin_.Loaded());
        InstallEffectDialogs(nullptr);
    }
    void TearDown() override
    {
        RemoveEffectDialogs();
        EffectTest::TearDown();
    }

    PaneSkin skin_;
};

} // namespace fxtest
