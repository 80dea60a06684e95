// The effect dialog's Preview on the sound server's null sink: the processed sound is heard at
// the sink's monitor, OFF plays it dry, and the shortest selection it takes is 8129 frames.
#include "AudioEffectFixture.h"
#include "AudioRig.h"
#include "ComRef.h"
#include "DialogScript.h"
#include "DocWiring.h"
#include "EffectDialog.h"
#include "EffectFixture.h"
#include "EffectIds.h"
#include "EffectModuleTable.h"
#include "EffectProgramHost.h"
#include "IEffectParameters.h"
#include "PaneSkin.h"
#include "PanesIds.h"

#include <cmath>

using namespace fxtest;

namespace {

constexpr double kToneHz = 1000.0;

class EffectsAudioTest : public AudioEffectTest {
protected:
    // A stereo 16-bit document at 48 kHz holding frames of a 1 kHz tone at -12 dBFS.
    void ToneDocument(LONGLONG frames)
    {
        NewDocument({2});
        ASSERT_EQ(S_OK, doc_->GetTrackSet()->SetFormat(16, static_cast<DWORD>(kRate)));
        Fill16(0, rig::Tone(kToneHz, 0.25, frames, 2));
        Select({0}, 0, 0);
    }
    HRESULT RunGain()
    {
        const EffectModuleEntry* entry = GetEffectModuleEntry(0);
        CEffectDescriptor descriptor(entry->moduleFile, entry->classId);
        descriptor.displayName = "Gain";
        return DocWiring::RunEffectDialog(descriptor, doc_.get());
    }
    static double HeardDb() { return AudioEffectTest::HeardDb(kToneHz); }
    // Pumps the dialog's messages for a while.
    static void Wait(DWORD ms)
    {
        const DWORD until = ::GetTickCount() + ms;
        while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            ::Sleep(10);
        }
    }
};

TEST_F(EffectsAudioTest, PreviewIsHeardWithTheEffectAndDryWithOff)
{
    ToneDocument(20 * kRate);
    double wet = -200, dry = -200, stopped = 0;
    std::string caption;
    Script script({[&] {
        HWND d = FindDialogWith(IDC_EFFECT_TABS);
        if (!d)
            return false;
        auto* dialog = dynamic_cast<CEffectDialog*>(CWnd::FromHandlePermanent(d));
        ComRef<IEffectParameters> gain;
        dialog->Filter()->QueryInterface(__uuidof(IEffectParameters), gain.OutVoid());
        gain->SetParameter(0, 6.0);
        gain->SetParameter(1, 6.0);
        Click(d, IDC_EFFECT_PREVIEW);
        caption = ItemText(d, IDC_EFFECT_PREVIEW);
        Wait(1500);
        wet = HeardDb();
        Click(d, IDC_EFFECT_OFF); // restarts the preview without the effect
        Wait(1500);
        dry = HeardDb();
        Click(d, IDC_EFFECT_PREVIEW); // Stop
        Wait(800);
        stopped = HeardDb();
        Click(d, IDCANCEL);
        return true;
    }});
    ASSERT_EQ(S_OK, RunGain());
    EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_[0]);
    EXPECT_EQ("Sto&p", caption);
    const double source = 20.0 * std::log10(0.25);
    EXPECT_NEAR(source + 6.0, wet, 0.5);
    EXPECT_NEAR(source, dry, 0.5);
    EXPECT_LT(stopped, source - 40.0) << "Stop ends the sound";
    EXPECT_EQ(0, Steps()) << "a preview changes nothing";
}

TEST_F(EffectsAudioTest, ThePreviewNeedsASelectionOfAtLeast8129Frames)
{
    for (LONGLONG frames : {8128LL, 8129LL}) {
        ToneDocument(frames);
        std::string caption;
        Script script({[&] {
            HWND d = FindDialogWith(IDC_EFFECT_TABS);
            if (!d)
                return false;
            Click(d, IDC_EFFECT_PREVIEW);
            caption = ItemText(d, IDC_EFFECT_PREVIEW);
            if (caption != "&Preview")
                Click(d, IDC_EFFECT_PREVIEW);
            Click(d, IDCANCEL);
            return true;
        }});
        ASSERT_EQ(S_OK, RunGain());
        if (frames == 8128) {
            ASSERT_EQ(1u, boxes_.size());
            EXPECT_EQ("There are not enough samples required for preview.", boxes_[0]);
            EXPECT_EQ("&Preview", caption);
        } else {
            EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_[0]);
            EXPECT_EQ("Sto&p", caption);
        }
        boxes_.clear();
    }
}

} // namespace
