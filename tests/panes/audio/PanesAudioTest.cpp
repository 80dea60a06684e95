// The tool panes with the real engine playing to the sound server's null sink: the
// Controller's play, pause, held Rewind and recording, the mixer's meters and the Edit Markers
// preview.
#include "AudioRig.h"
#include "EditMarkersDlg.h"
#include "LabelEdit.h"
#include "MarkerListDlg.h"
#include "MasterStrip.h"
#include "MixerView.h"
#include "NyControlFrame.h"
#include "NyControlView.h"
#include "NyException.h"
#include "NyMixerCtrlFrame.h"
#include "PaneDocFixture.h"
#include "PaneSkin.h"
#include "PanesIds.h"
#include "PositionText.h"
#include "SelectionModel.h"
#include "TrackStrip.h"
#include "TracksStopMessage.h"

#include <fstream>
#include <sstream>

namespace {

constexpr LONGLONG kRate = 48000;

class PanesAudioTest : public PaneDocTest {
protected:
    void SetUp() override
    {
        PaneDocTest::SetUp();
        ASSERT_TRUE(rig::Capture::Get().WaitRunning(8000)) << "no capture of the sound server";
        ASSERT_TRUE(skin_.Loaded());
        frame_ = CreateControllerPane(nullptr);
        ASSERT_TRUE(frame_);
        controller_ = frame_->GetControlView();
    }
    void TearDown() override
    {
        if (controller_) {
            try {
                if (controller_->IsPlaying() || controller_->IsRecording())
                    controller_->Stop();
            } catch (const CNyException&) {
            }
            controller_->SetActiveView(nullptr);
        }
        if (mixerFrame_)
            mixerFrame_->DestroyWindow();
        if (frame_)
            frame_->DestroyWindow();
        PaneDocTest::TearDown();
    }
    void Attach()
    {
        link_ = std::make_unique<DocumentTransportLink>(doc_.get(), controller_);
        controller_->SetActiveView(link_.get());
    }
    int64_t Position()
    {
        int64_t position = -1;
        EXPECT_EQ(S_OK, controller_->GetPlayPosition(&position));
        return position;
    }
    LONG EngineState()
    {
        LONG state = 0;
        controller_->GetEngineState(&state);
        return state;
    }
    void Click(UINT button, UINT message)
    {
        const CPoint at = controller_->GetButtonRect(button).CenterPoint();
        SendMessageA(controller_->m_hWnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
    }

    PaneSkin skin_;
    CNyControlFrame* frame_ = nullptr;
    CNyControlView* controller_ = nullptr;
    CNyMixerCtrlFrame* mixerFrame_ = nullptr;
    std::unique_ptr<DocumentTransportLink> link_;
};

TEST_F(PanesAudioTest, PlayPauseAndHeldRewind)
{
    NewDocumentAt(DWORD(kRate), 2);
    AddTrack(Tone(12 * kRate, 2), 2, 0);
    Attach();
    doc_->GetSelection()->SetSelection(6 * kRate, 6 * kRate, TRUE);

    link_->SendCommand(1049); // Space
    ASSERT_TRUE(controller_->IsPlaying());
    PumpMessages(500);
    const int64_t first = Position();
    PumpMessages(300);
    const int64_t second = Position();
    EXPECT_GE(first, 6 * kRate);
    EXPECT_GT(second, first + kRate / 10);

    controller_->Pause();
    EXPECT_TRUE(controller_->IsPaused());
    PumpMessages(150);
    const int64_t held = Position();
    PumpMessages(300);
    EXPECT_LT(std::llabs(Position() - held), kRate / 20);
    controller_->Pause();
    EXPECT_FALSE(controller_->IsPaused());
    PumpMessages(300);
    EXPECT_GT(Position(), held + kRate / 10);

    // Rewind held: one second back every 100 ms until the button is let go. Playback from
    // the cursor keeps to the range from there on: start again from 0 and move to 6 s.
    controller_->Stop();
    doc_->GetSelection()->SetSelection(0, 0, TRUE);
    controller_->Play();
    ASSERT_EQ(S_OK, controller_->SetPlayPosition(6 * kRate));
    PumpMessages(400);
    const int64_t before = Position();
    ASSERT_GT(before, 6 * kRate);
    const DWORD pressed = GetTickCount();
    Click(kBtnRewind, WM_LBUTTONDOWN);
    ASSERT_TRUE(controller_->IsWindTimerRunning());
    PumpMessages(450);
    Click(kBtnRewind, WM_LBUTTONUP);
    const DWORD heldMs = GetTickCount() - pressed;
    EXPECT_FALSE(controller_->IsWindTimerRunning());
    // What is heard follows a new position after the output's buffering.
    PumpMessages(300);
    const DWORD elapsedMs = GetTickCount() - pressed;
    const int64_t after = Position();
    const double steps = double(before + int64_t(elapsedMs) * kRate / 1000 - after) / double(kRate);
    EXPECT_GE(steps, heldMs / 100.0 - 1.5) << heldMs << " ms held";
    EXPECT_LE(steps, heldMs / 100.0 + 0.5) << heldMs << " ms held";
    PumpMessages(300);
    EXPECT_GT(Position(), after + kRate / 10); // no more steps once released

    controller_->Stop();
    EXPECT_FALSE(controller_->IsPlaying());
    EXPECT_EQ(1, EngineState());
}

TEST_F(PanesAudioTest, RecordThenStopIsOneRecordStep)
{
    NewDocumentAt(DWORD(kRate), 1);
    Attach();
    const int tracksBefore = doc_->GetTrackCount();
    controller_->Record();
    EXPECT_TRUE(controller_->IsRecording());
    EXPECT_TRUE(controller_->IsPaused()); // armed until Pause releases it
    controller_->Pause();
    EXPECT_TRUE(controller_->IsResumedRecording());
    rig::Feeder feeder(rig::Tone(440.0, 0.3, kRate * 3, 2));
    PumpMessages(2500);
    controller_->Stop();
    EXPECT_FALSE(controller_->IsRecording());
    EXPECT_EQ(std::vector<std::string>{"Record"}, UndoNames());
    int64_t recorded = 0;
    for (int i = 0; i < doc_->GetTrackCount(); ++i)
        recorded = std::max(recorded, doc_->GetTrackExtent(i, 0));
    EXPECT_GT(recorded, kRate / 2);
    EXPECT_GE(doc_->GetTrackCount(), tracksBefore);
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(0, doc_->GetLength());
}

TEST_F(PanesAudioTest, TakeOverSixChannelsIsRefusedWithTheEngineStopped)
{
    NewDocumentAt(DWORD(kRate), 2);
    for (int i = 0; i < 2; ++i) {
        ComRef<IMtTrack> track;
        ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, 2, track.Out(), -1));
    }
    Attach();
    ASSERT_TRUE(controller_->CanRecord());
    Click(kBtnRecord, WM_LBUTTONDOWN);
    Click(kBtnRecord, WM_LBUTTONUP);
    ASSERT_EQ(1u, host_.shown.size());
    EXPECT_EQ(static_cast<HRESULT>(0x83E807D5), host_.shown[0]);
    EXPECT_EQ(1, EngineState());
    EXPECT_FALSE(controller_->IsRecording());
    EXPECT_EQ(0, controller_->GetRecordStatus());
}

TEST_F(PanesAudioTest, MetersShowWhatPlaysAndTheirTimerStopsByItself)
{
    NewDocumentAt(DWORD(kRate), 2);
    AddTrack(Tone(3 * kRate, 2, 16000), 2, 0);
    Attach();
    mixerFrame_ = CreateMixerPane(nullptr);
    ASSERT_TRUE(mixerFrame_);
    CMixerView* mixer = mixerFrame_->GetMixerView();
    mixer->SetController(controller_);
    controller_->SetMixerView(mixer);
    mixer->SetView(link_.get());
    mixerFrame_->ShowWindow(SW_SHOWNOACTIVATE);

    controller_->Play();
    mixer->StartMeterTimer();
    PumpMessages(700);
    CMasterStrip* master = mixer->GetMasterStrip();
    EXPECT_GT(master->MeterValue(0), 8000);
    EXPECT_NE("-inf.", master->PeakText(0));
    EXPECT_TRUE(mixer->IsMeterTimerRunning());

    controller_->Stop();
    const DWORD until = GetTickCount() + 3000;
    while (mixer->IsMeterTimerRunning() && GetTickCount() < until)
        PumpMessages(50);
    EXPECT_FALSE(mixer->IsMeterTimerRunning());
    EXPECT_EQ(0, master->MeterValue(0));
    EXPECT_NE("-inf.", master->PeakText(0)); // the peak holds
}

TEST_F(PanesAudioTest, PreviewPlaysTheLabelAndGivesTheSelectionBack)
{
    RegisterTracksStopMessage();
    NewDocumentAt(DWORD(kRate), 2);
    AddTrack(Tone(4 * kRate, 2), 2, 0);
    AddTrack(Tone(4 * kRate, 2), 2, 0);
    doc_->GetSelection()->SetSelection(kRate / 4, kRate / 4, TRUE);
    CEditMarkersDlg dialog;
    dialog.sampleRate = DWORD(kRate);
    dialog.unit = kTimeUnitSamples;
    dialog.document = doc_.get();
    dialog.record.kind = kLabelSection;
    dialog.record.trackId = doc_->GetTrackId(1); // only the second track plays
    dialog.record.start = kRate;
    dialog.record.end = kRate + kRate / 2;
    std::strcpy(dialog.record.name, "part");
    ASSERT_TRUE(dialog.Create(IDD_EDIT_MARKERS, nullptr));

    ComRef<IMtSelection> range;
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->QueryInterface(__uuidof(IMtSelection), range.OutVoid()));
    LONG markedBefore[2] = {-1, -1};
    range->IsTrackMarked(0, &markedBefore[0]);
    range->IsTrackMarked(1, &markedBefore[1]);
    dialog.TogglePreview();
    ASSERT_TRUE(dialog.IsPreviewing());
    LONGLONG start = 0, end = 0;
    range->GetRange(&start, &end);
    EXPECT_EQ(kRate, start);
    EXPECT_EQ(kRate + kRate / 2, end);
    LONG marked[2] = {-1, -1};
    range->IsTrackMarked(0, &marked[0]);
    range->IsTrackMarked(1, &marked[1]);
    EXPECT_EQ(0, marked[0]);
    EXPECT_NE(0, marked[1]);
    // The preview goes round the label's range until it is stopped.
    int64_t lowest = INT64_MAX, highest = 0;
    for (int i = 0; i < 60; ++i) {
        PumpMessages(20);
        int64_t at = 0;
        ASSERT_EQ(S_OK, dialog.GetPreviewPosition(&at));
        lowest = std::min(lowest, at);
        highest = std::max(highest, at);
    }
    EXPECT_GE(lowest, kRate);
    EXPECT_LE(highest, kRate + kRate / 2);
    EXPECT_GT(highest, lowest + kRate / 4);
    dialog.TogglePreview();
    EXPECT_FALSE(dialog.IsPreviewing());
    range->GetRange(&start, &end);
    EXPECT_EQ(kRate / 4, start);
    EXPECT_EQ(kRate / 4, end);
    LONG markedAfter[2] = {-2, -2};
    range->IsTrackMarked(0, &markedAfter[0]);
    range->IsTrackMarked(1, &markedAfter[1]);
    EXPECT_EQ(markedBefore[0], markedAfter[0]);
    EXPECT_EQ(markedBefore[1], markedAfter[1]);
    dialog.DestroyWindow();
}

TEST_F(PanesAudioTest, RecordPlaySetTheLevelMarkAndExport)
{
    NewDocumentAt(DWORD(kRate), 1);
    Attach();
    // Record a take of a tone played into the sink.
    controller_->Record();
    controller_->Pause();
    {
        rig::Feeder feeder(rig::Tone(440.0, 0.5, kRate * 2, 2));
        PumpMessages(2200);
    }
    controller_->Stop();
    ASSERT_GT(doc_->GetLength(), kRate / 2);
    int take = 0;
    for (int i = 0; i < doc_->GetTrackCount(); ++i)
        if (doc_->GetTrackExtent(i, 0) > doc_->GetTrackExtent(take, 0))
            take = i;

    // Play it from the start.
    doc_->GetSelection()->SetSelection(0, 0, TRUE);
    controller_->Play();
    PumpMessages(400);
    EXPECT_GT(Position(), 0);
    controller_->Stop();

    // Set its level in the mixer.
    mixerFrame_ = CreateMixerPane(nullptr);
    ASSERT_TRUE(mixerFrame_);
    CMixerView* mixer = mixerFrame_->GetMixerView();
    mixer->SetView(link_.get());
    mixerFrame_->ShowWindow(SW_SHOWNOACTIVATE);
    CTrackStrip* strip = mixer->GetTrackStrip(take);
    ASSERT_TRUE(strip);
    const CPoint label = strip->VolumeLabel().ScreenRect().CenterPoint();
    SendMessageA(mixer->m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(label.x, label.y));
    ASSERT_TRUE(strip->VolumeLabel().GetEditor());
    strip->VolumeLabel().GetEditor()->SetText("-6");
    SendMessageA(strip->VolumeLabel().GetEditor()->m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_NEAR(0.5011, doc_->GetTrackLevel(take, 0, 0), 0.0001);

    // Mark it and export the list.
    LabelRecord mark{};
    mark.kind = kLabelSection;
    mark.trackId = doc_->GetTrackId(take);
    mark.start = 0;
    mark.end = kRate / 2;
    std::strcpy(mark.name, "First take, loud");
    ASSERT_EQ(1, doc_->AddLabel(mark));
    CMarkerListDlg* list = CreateMarkerListPane(nullptr);
    ASSERT_TRUE(list);
    ::ShowWindow(::GetParent(list->m_hWnd), SW_SHOWNOACTIVATE);
    list->SetView(link_.get());
    list->SetUnit(kTimeUnitSamples);
    kvtest::ScratchFolder folder;
    ASSERT_EQ(0u, list->ExportCsv(folder.File("takes.csv").c_str()));
    std::ifstream in(folder.File("takes.csv"), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string row = "\"First take, loud\"," + std::to_string(take + 1) + ",0,24000,24000\r\n";
    EXPECT_NE(std::string::npos, text.str().find(row)) << text.str();
    ::DestroyWindow(::GetParent(list->m_hWnd));
    EXPECT_EQ((std::vector<std::string>{"Volume", "Record"}), UndoNames());
}

} // namespace
