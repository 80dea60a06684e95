// The effect tests' fixture for sound heard at the sound server's null sink: the capture of its
// monitor running, the skin loaded and the program's effect dialogs installed.
#pragma once
#include "AudioRig.h"
#include "DialogScript.h"
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

// A preview press waits in its dialog until the sound ends: what happens meanwhile runs from
// this timer, inside that wait. After 1.5 s of sound it reads the button and OK, hears the
// tone, presses the button again (Stop) and hears what is left.
struct WhilePlaying {
    static inline HWND dialog = nullptr;
    static inline int button = 0;
    static inline double toneHz = 1000.0;
    static inline std::string caption;
    static inline bool okEnabled = true;
    static inline double heard = -200;
    static inline double afterStop = 0;
    static inline int ticks = 0;
    static void Start(HWND window, int previewButton, double hz)
    {
        dialog = window;
        button = previewButton;
        toneHz = hz;
        caption.clear();
        okEnabled = true;
        heard = -200;
        afterStop = 0;
        ticks = 0;
        ::SetTimer(nullptr, 0, 20, &Tick);
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        if (++ticks < 75)
            return;
        ::KillTimer(nullptr, timer);
        caption = ItemText(dialog, button);
        okEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
        heard = AudioEffectTest::HeardDb(toneHz);
        Click(dialog, button); // Stop
        afterStop = AudioEffectTest::HeardDb(toneHz);
    }
};

} // namespace fxtest
