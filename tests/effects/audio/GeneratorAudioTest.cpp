// The generator dialog's Preview on the sound server's null sink: the tone is heard at the
// sink's monitor while the button reads "Sto&p", and pressing it stops the sound, restores the
// buttons and shows nothing.
#include "AudioRig.h"
#include "DialogScript.h"
#include "DocWiring.h"
#include "EffectFixture.h"
#include "EffectModuleTable.h"
#include "EffectProgramHost.h"
#include "GeneratorIds.h"
#include "PaneSkin.h"

#include <cmath>

using namespace fxtest;

namespace {

constexpr LONGLONG kRate = 48000;

// The 1 kHz tone's level heard over half a second from now, in dB of full scale.
double HeardDb()
{
    rig::Capture& capture = rig::Capture::Get();
    const LONGLONG from = capture.Now() + kRate / 10;
    capture.WaitFor(from + kRate / 2, 5000);
    const std::vector<int16_t> heard = capture.Take(from, from + kRate / 2);
    const double amplitude = rig::ToneAmplitude(heard, 0, 1000.0, 0, heard.size() / 2);
    return 20.0 * std::log10(std::max(amplitude, 1e-9));
}

class GeneratorAudioTest : public EffectTest {
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

// The press of Preview waits in the dialog until the sound ends: what happens meanwhile runs
// from this timer, inside that wait.
struct WhilePlaying {
    static inline HWND dialog = nullptr;
    static inline std::string caption;
    static inline bool okEnabled = true;
    static inline double heard = -200;
    static inline double afterStop = 0;
    static inline int ticks = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        if (++ticks < 75) // 1.5 s of sound first
            return;
        ::KillTimer(nullptr, timer);
        caption = ItemText(dialog, IDC_GENERATOR_PREVIEW);
        okEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
        heard = HeardDb();
        Click(dialog, IDC_GENERATOR_PREVIEW); // Stop
        afterStop = HeardDb();
    }
};

TEST_F(GeneratorAudioTest, PreviewPlaysTheToneUntilStopIsPressed)
{
    NewDocument({2});
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->SetFormat(16, static_cast<DWORD>(kRate)));
    Select({0}, 0, 0);
    std::string restored;
    bool okAfter = false;
    Script script({[&] {
        HWND d = FindDialogWith(IDC_GENERATOR_LENGTH);
        if (!d)
            return false;
        ::SetDlgItemTextA(d, IDC_GENERATOR_LENGTH, "20");
        ::SendDlgItemMessageA(d, IDC_GENERATOR_LENGTH, EM_SETMODIFY, TRUE, 0);
        WhilePlaying::dialog = d;
        ::SetTimer(nullptr, 0, 20, &WhilePlaying::Tick);
        Click(d, IDC_GENERATOR_PREVIEW); // returns once the preview has ended
        restored = ItemText(d, IDC_GENERATOR_PREVIEW);
        okAfter = ::IsWindowEnabled(::GetDlgItem(d, IDOK)) != FALSE;
        Click(d, IDCANCEL);
        return true;
    }});
    ASSERT_EQ(S_OK, DocWiring::RunGeneratorDialog(GetEffectModuleEntry(25), doc_.get()));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ("Sto&p", WhilePlaying::caption);
    EXPECT_FALSE(WhilePlaying::okEnabled) << "OK waits while the preview plays";
    EXPECT_NEAR(-6.0, WhilePlaying::heard, 0.5) << "the page's level";
    EXPECT_LT(WhilePlaying::afterStop, -50.0) << "Stop ends the sound";
    EXPECT_EQ("&Preview", restored);
    EXPECT_TRUE(okAfter);
    EXPECT_TRUE(boxes_.empty()) << "a stopped preview shows nothing: " << (boxes_.empty() ? "" : boxes_[0]);
    EXPECT_EQ(0, Steps()) << "a preview changes nothing";
}

} // namespace
