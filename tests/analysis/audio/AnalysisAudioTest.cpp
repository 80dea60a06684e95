// The shown analysis pane follows playback: while the program plays, the view's position updates
// analyse the block at the playback position; the pane's commands that need an idle transport
// are off meanwhile.
#include "AnalysisIds.h"
#include "AudioRig.h"
#include "ComRef.h"
#include "KsMultiTrackLoader.h"
#include "MainFrame.h"
#include "MainFrameIds.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyAnalizeFrame.h"
#include "NyAnalizeWnd.h"
#include "NyApp.h"
#include "NyControlView.h"
#include "ProgramHosts.h"
#include "RawClip.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "SpectrumAnalyzer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 48000;

class AnalysisAudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig::Capture::Get().WaitRunning(8000)) << "no capture of the sound server";
        SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", kRate);
        SetSettingInt(kSettingsSection, "AnalizeWindowType", 4);
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
            boxes_.push_back(text);
            return IDOK;
        });
        ASSERT_TRUE(app_.InitInstance());
        frame_ = dynamic_cast<CMainFrame*>(app_.m_pMainWnd);
        ASSERT_NE(frame_, nullptr);
        controller_ = frame_->GetControllerPane();
        ASSERT_NE(controller_, nullptr);
        frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
        view_ = dynamic_cast<CNyMultiTrackView*>(frame_->MDIGetActive()->GetActiveView());
        ASSERT_NE(view_, nullptr);
        doc_ = view_->GetMultiTrackDoc();
        view_->SetFocus();
    }
    void TearDown() override
    {
        if (controller_ && controller_->IsPlaying())
            Key(VK_SPACE);
        if (app_.m_pMainWnd) {
            if (doc_)
                doc_->SetModifiedFlag(FALSE);
            app_.m_pMainWnd->SendMessage(WM_CLOSE);
        }
        MSG quit;
        while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        AfxSetMessageBoxHook(nullptr);
    }
    void Run(DWORD ms)
    {
        const DWORD until = ::GetTickCount() + ms;
        do {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT)
                    continue;
                if (!app_.PreTranslateMessage(&msg)) {
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
        ::PostMessageA(view_->m_hWnd, WM_KEYDOWN, key, MAKELPARAM(1, scan));
        ::PostMessageA(view_->m_hWnd, WM_KEYUP, key, MAKELPARAM(1, scan | 0xC000));
        Run(0);
    }
    // The bin with the most power in the pane's last result.
    int PeakBin(CNyAnalizeWnd* pane)
    {
        const CSpectrumAnalyzer& a = pane->GetAnalyzer();
        int best = 1;
        for (int k = 1; k <= a.GetFftSize() / 2; ++k)
            if (a.GetPowerSpectrum()[size_t(k) * a.GetChannels()] > a.GetPowerSpectrum()[size_t(best) * a.GetChannels()])
                best = k;
        return best;
    }

    SettingsTestRoot root_;
    kvtest::ScratchFolder scratch_;
    CNyApp app_;
    CMainFrame* frame_ = nullptr;
    CNyControlView* controller_ = nullptr;
    CNyMultiTrackView* view_ = nullptr;
    CNyMultiTrackDoc* doc_ = nullptr;
    std::vector<std::string> boxes_;
};

} // namespace

TEST_F(AnalysisAudioTest, WhilePlayingThePaneAnalysesTheBlockAtThePlaybackPosition)
{
    // Four seconds of the tone of bin 4 (of 128), then four of bin 16.
    std::vector<int16_t> samples;
    for (int i = 0; i < 8 * kRate; ++i)
        samples.push_back(int16_t(std::lround(8000 * std::sin(2 * 3.14159265358979 * (i < 4 * kRate ? 4 : 16) * i / 128))));
    const std::string path = scratch_.File("two.raw");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(samples.data(), 2, samples.size(), f);
    std::fclose(f);
    doc_->GetTrackSet()->SetFormat(16, kRate);
    ComRef<IMtClip> clip;
    ASSERT_EQ(S_OK, MakeRawClip(path, 1, 16, kRate, clip));
    ASSERT_EQ(S_OK, doc_->GetTrack(0)->InsertClip(clip.Get(), 0, 0, 0));
    view_->UpdateScrollBars();
    doc_->GetSelection()->SetRowRange(0, -1);
    doc_->GetSelection()->SetSelection(0, 0, TRUE);

    frame_->SendMessage(WM_COMMAND, ID_VIEW_FREQUENCY_ANALYSIS, 0);
    CNyAnalizeWnd* pane = HeldAnalysisPane();
    ASSERT_NE(pane, nullptr);
    ASSERT_EQ(pane->GetView(), view_);
    view_->SetFocus();

    Key(VK_SPACE);
    ASSERT_TRUE(controller_->IsPlaying()) << (boxes_.empty() ? "" : boxes_.front());
    Run(600);
    EXPECT_EQ(pane->GetAnalyzer().GetFrameCount(), 1) << "one block at the position";
    EXPECT_EQ(PeakBin(pane), 4);
    // Commands that need an idle transport are off while it plays.
    pane->GetFrame()->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    pane->GetFrame()->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(pane->GetFrame()->GetDialogBar().m_hWnd, ID_ANALYSIS_REFRESH)));

    ASSERT_EQ(S_OK, controller_->SetPlayPosition(5 * kRate));
    Run(600);
    EXPECT_EQ(PeakBin(pane), 16);
    Key(VK_SPACE);
    EXPECT_FALSE(controller_->IsPlaying());
}
