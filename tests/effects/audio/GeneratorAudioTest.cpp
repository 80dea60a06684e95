// The generator dialog's Preview on the sound server's null sink: the tone is heard at the
// sink's monitor while the button reads "Sto&p", and pressing it stops the sound, restores the
// buttons and shows nothing.
#include "AudioEffectFixture.h"
#include "DialogScript.h"
#include "DocWiring.h"
#include "EffectModuleTable.h"
#include "GeneratorIds.h"

using namespace fxtest;

namespace {

class GeneratorAudioTest : public AudioEffectTest {};

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
        heard = AudioEffectTest::HeardDb(1000.0);
        Click(dialog, IDC_GENERATOR_PREVIEW); // Stop
        afterStop = AudioEffectTest::HeardDb(1000.0);
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
