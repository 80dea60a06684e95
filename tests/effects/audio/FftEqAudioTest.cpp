// The FFT equaliser dialog's Preview on the sound server's null sink: the tone is heard through
// the curve while the button reads "Sto&p" and the other controls wait, and pressing it stops
// the sound and gives the controls back.
#include "AudioEffectFixture.h"
#include "DialogScript.h"
#include "DocWiring.h"
#include "EffectModuleTable.h"
#include "FftEqDialog.h"
#include "FftEqIds.h"
#include "IEffectParameters.h"
#include "KvSEFFEQ.h"

using namespace fxtest;

namespace {

constexpr double kToneHz = 1000.0;

class FftEqAudioTest : public AudioEffectTest {};

TEST_F(FftEqAudioTest, PreviewPlaysTheToneThroughTheCurveUntilStopIsPressed)
{
    NewDocument({2});
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->SetFormat(16, static_cast<DWORD>(kRate)));
    Fill16(0, rig::Tone(kToneHz, 0.25, 20 * kRate, 2)); // -12 dBFS
    Select({0}, 0, 0);
    std::string restored;
    bool okAfter = false;
    Script script({[&] {
        HWND d = FindDialogWith(IDC_FFTEQ_TRACKS);
        if (!d)
            return false;
        // One point of the curve: 12 dB down at the tone.
        auto* dialog = dynamic_cast<CFftEqDialog*>(CWnd::FromHandlePermanent(d));
        ComRef<IEffectParameters> curve;
        dialog->Equalizer()->QueryInterface(__uuidof(IEffectParameters), curve.OutVoid());
        curve->SetParameter(7, 1);
        curve->SetParameter(8, kToneHz);
        curve->SetParameter(9, -12);
        WhilePlaying::Start(d, IDC_FFTEQ_PREVIEW, kToneHz);
        Click(d, IDC_FFTEQ_PREVIEW); // returns once the preview has ended
        restored = ItemText(d, IDC_FFTEQ_PREVIEW);
        okAfter = ::IsWindowEnabled(::GetDlgItem(d, IDOK)) != FALSE;
        Click(d, IDCANCEL);
        return true;
    }});
    ASSERT_EQ(S_OK, DocWiring::RunFftEqualizerDialog(GetEffectModuleEntry(7), doc_.get()));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ("Sto&p", WhilePlaying::caption);
    EXPECT_FALSE(WhilePlaying::okEnabled) << "OK waits while the preview plays";
    EXPECT_NEAR(-24.0, WhilePlaying::heard, 1.0) << "the tone, 12 dB down";
    EXPECT_LT(WhilePlaying::afterStop, -50.0) << "Stop ends the sound";
    EXPECT_EQ("&Preview", restored);
    EXPECT_TRUE(okAfter);
    EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_[0]);
    EXPECT_EQ(0, Steps()) << "a preview changes nothing";
}

} // namespace
