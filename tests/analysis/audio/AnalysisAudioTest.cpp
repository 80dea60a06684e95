// The shown analysis pane follows playback: while the program plays, the view's position updates
// analyse the block at the playback position; Refresh, which needs an idle transport, is off
// meanwhile.
#include "AnalysisPaneFixture.h"
#include "AudioRig.h"
#include "NyControlView.h"

namespace {

constexpr int kRate = 48000;

class AnalysisAudioTest : public AnalysisPaneTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig::Capture::Get().WaitRunning(8000)) << "no capture of the sound server";
        SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", kRate);
        SetSettingInt(kSettingsSection, "AnalizeWindowType", 4);
        AnalysisPaneTest::SetUp();
        controller_ = frame_->GetControllerPane();
        ASSERT_NE(controller_, nullptr);
    }
    void TearDown() override
    {
        if (controller_ && controller_->IsPlaying())
            Key(VK_SPACE);
        AnalysisPaneTest::TearDown();
    }
    // The program's loop for ms milliseconds: accelerators and the panes' keys first.
    void Run(DWORD ms)
    {
        const DWORD until = ::GetTickCount() + ms;
        do {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message != WM_QUIT && !app_.PreTranslateMessage(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
            }
            ::Sleep(5);
        } while (::GetTickCount() < until);
    }
    void Key(UINT key)
    {
        const UINT scan = ::MapVirtualKeyA(key, 0);
        ::PostMessageA(ActiveView()->m_hWnd, WM_KEYDOWN, key, MAKELPARAM(1, scan));
        ::PostMessageA(ActiveView()->m_hWnd, WM_KEYUP, key, MAKELPARAM(1, scan | 0xC000));
        Run(0);
    }
    // The bin with the most power in the pane's last result.
    static int PeakBin(CNyAnalizeWnd* pane)
    {
        const CSpectrumAnalyzer& a = pane->GetAnalyzer();
        int best = 1;
        for (int k = 1; k <= a.GetFftSize() / 2; ++k)
            if (a.GetPowerSpectrum()[size_t(k) * a.GetChannels()] > a.GetPowerSpectrum()[size_t(best) * a.GetChannels()])
                best = k;
        return best;
    }

    CNyControlView* controller_ = nullptr;
};

} // namespace

TEST_F(AnalysisAudioTest, WhilePlayingThePaneAnalysesTheBlockAtThePlaybackPosition)
{
    // Four seconds of the tone of bin 4 (of 128), then four of bin 16.
    std::vector<int16_t> samples;
    for (int i = 0; i < 8 * kRate; ++i)
        samples.push_back(int16_t(std::lround(8000 * std::sin(2 * 3.14159265358979 * (i < 4 * kRate ? 4 : 16) * i / 128))));
    CNyMultiTrackDoc* doc = NewDocument(kRate, {{1, samples}});
    ASSERT_NE(doc, nullptr);
    doc->GetSelection()->SetSelection(0, 0, TRUE);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    ASSERT_EQ(pane->GetView(), ActiveView());
    ActiveView()->SetFocus();

    Key(VK_SPACE);
    ASSERT_TRUE(controller_->IsPlaying()) << (boxes_.empty() ? "" : boxes_.front());
    Run(600);
    EXPECT_EQ(pane->GetAnalyzer().GetFrameCount(), 1) << "one block at the position";
    EXPECT_EQ(PeakBin(pane), 4);
    pane->GetFrame()->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    pane->GetFrame()->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(pane->GetFrame()->GetDialogBar().m_hWnd, ID_ANALYSIS_REFRESH)));

    ASSERT_EQ(S_OK, controller_->SetPlayPosition(5 * kRate));
    Run(600);
    EXPECT_EQ(PeakBin(pane), 16);
    Key(VK_SPACE);
    EXPECT_FALSE(controller_->IsPlaying());
}
