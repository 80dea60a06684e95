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

#include <algorithm>
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
    // The tone's level once it has settled (two quarter seconds in a row within 0.3 dB) at
    // a level away from `other` by more than 1 dB, pumping the dialog meanwhile; the last
    // level heard when that does not come within 6 s. A preview starts, and restarts
    // after OFF, later under load: a fixed wait measured the silence before it.
    static double SettledDb(double other)
    {
        rig::Capture& capture = rig::Capture::Get();
        double last = -200.0;
        for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 6000;) {
            const LONGLONG from = capture.Now();
            while (capture.Now() < from + kRate / 4 && ::GetTickCount() - start < 6000)
                Wait(10);
            const std::vector<int16_t> heard = capture.Take(from, from + kRate / 4);
            const double db = 20.0 * std::log10(std::max(rig::ToneAmplitude(heard, 0, kToneHz, 0, heard.size() / 2), 1e-9));
            if (std::fabs(db - last) < 0.3 && std::fabs(db - other) > 1.0 && db > -60.0)
                return MedianDb();
            last = db;
        }
        return last;
    }
    // The tone's level over the next half second: the median of its 50-ms stretches, which a
    // stall of the server (tens of milliseconds of silence now and then under load) leaves
    // alone.
    static double MedianDb()
    {
        rig::Capture& capture = rig::Capture::Get();
        const LONGLONG from = capture.Now();
        while (capture.Now() < from + kRate / 2)
            Wait(10);
        const std::vector<int16_t> heard = capture.Take(from, from + kRate / 2);
        std::vector<double> levels;
        for (size_t at = 0; at + kRate / 20 <= heard.size() / 2; at += kRate / 20)
            levels.push_back(20.0 * std::log10(std::max(rig::ToneAmplitude(heard, 0, kToneHz, at, kRate / 20), 1e-9)));
        std::sort(levels.begin(), levels.end());
        return levels[levels.size() / 2];
    }
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
        wet = SettledDb(-200.0);
        Click(d, IDC_EFFECT_OFF); // restarts the preview without the effect
        dry = SettledDb(wet);
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
