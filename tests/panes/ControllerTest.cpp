// The Controller without sound: its buttons' states and hits, the engine's end message, and
// the marker jumps over labels and the edges of selected tracks' data.
#include "NyControlFrame.h"
#include "NyControlView.h"
#include "PaneDocFixture.h"
#include "PaneSkin.h"
#include "SelectionModel.h"

namespace {

class ControllerTest : public PaneDocTest {
protected:
    void SetUp() override
    {
        PaneDocTest::SetUp();
        frame_ = CreateControllerPane(nullptr);
        ASSERT_TRUE(frame_);
        controller_ = frame_->GetControlView();
    }
    void TearDown() override
    {
        if (controller_)
            controller_->SetActiveView(nullptr);
        if (frame_)
            frame_->DestroyWindow();
        PaneDocTest::TearDown();
    }
    // A document at 8000 Hz whose track holds 2 s of sound from 1 s on, that track selected.
    void MakeTrackFromOneSecond()
    {
        NewDocumentAt(8000);
        AddTrack(Tone(16000, 1), 1, 8000);
        ASSERT_EQ(S_OK, doc_->SetTrackSelected(0, TRUE));
        link_ = std::make_unique<DocumentTransportLink>(doc_.get(), controller_);
        controller_->SetActiveView(link_.get());
    }
    int64_t Cursor()
    {
        int64_t start = 0, end = 0;
        doc_->GetSelection()->GetSelection(&start, &end);
        EXPECT_EQ(start, end);
        return end;
    }

    PaneSkin skin_;
    CNyControlFrame* frame_ = nullptr;
    CNyControlView* controller_ = nullptr;
    std::unique_ptr<DocumentTransportLink> link_;
};

TEST_F(ControllerTest, MarkerJumpsStopAtTheDataEdgesOfSelectedTracks)
{
    MakeTrackFromOneSecond();
    ASSERT_EQ(24000, doc_->GetLength());
    doc_->GetSelection()->SetSelection(0, 0, TRUE);
    controller_->NextMarker();
    EXPECT_EQ(8000, Cursor()); // the track's start, not its length
    controller_->NextMarker();
    EXPECT_EQ(24000, Cursor());
    controller_->PreviousMarker();
    EXPECT_EQ(8000, Cursor());
    controller_->PreviousMarker();
    EXPECT_EQ(0, Cursor());

    // A cue between comes first; a selection range is collapsed to its end before the jump.
    LabelRecord cue{};
    cue.kind = kLabelCue;
    cue.trackId = -1;
    cue.start = cue.end = 12000;
    ASSERT_EQ(1, doc_->AddLabel(cue));
    doc_->GetSelection()->SetSelection(2000, 9000, TRUE);
    controller_->NextMarker();
    EXPECT_EQ(12000, Cursor());
}

TEST_F(ControllerTest, ButtonsFollowTheTransportState)
{
    // Without a view every button is disabled but the record-while-playing indicator.
    for (UINT id = kBtnLoop; id <= kBtnNextMarker; ++id) {
        if (id != kBtnRecordWhilePlaying) {
            EXPECT_EQ(1, controller_->GetButtonState(id) & 1) << id;
        }
    }
    MakeTrackFromOneSecond();
    EXPECT_EQ(0, controller_->GetButtonState(kBtnPlay));
    EXPECT_EQ(1, controller_->GetButtonState(kBtnStop));
    EXPECT_EQ(1, controller_->GetButtonState(kBtnRewind)); // winding needs playback
    EXPECT_EQ(0, controller_->GetButtonState(kBtnNextMarker));

    // The automation lamps show the program's switches, both on as the settings start them;
    // while writing automation the loop stays off.
    EXPECT_EQ(4, controller_->GetButtonState(kBtnReadAuto));
    EXPECT_EQ(4, controller_->GetButtonState(kBtnWriteAuto));
    EXPECT_EQ(1, controller_->GetButtonState(kBtnLoop));
    controller_->ToggleWriteAutomation();
    EXPECT_EQ(0, controller_->GetButtonState(kBtnWriteAuto));
    LONG engineWrites = 1;
    doc_->GetTrackSet()->GetWriteAutomation(&engineWrites);
    EXPECT_EQ(0, engineWrites);
    EXPECT_FALSE(doc_->GetTrackFlag(0, kMtFlagWriteEnvelopes)) << "the tracks stop writing with the switch";

    // Loop and record while playing exclude each other.
    controller_->ToggleLoop();
    EXPECT_TRUE(controller_->IsLooping());
    EXPECT_EQ(4, controller_->GetButtonState(kBtnLoop));
    controller_->ToggleRecordWhilePlaying();
    EXPECT_TRUE(controller_->IsRecordWhilePlaying());
    EXPECT_FALSE(controller_->IsLooping());
    EXPECT_EQ(1, controller_->GetButtonState(kBtnRecordWhilePlaying));

    // A disabled button cannot be pressed; the marker buttons always hit.
    const CRect rewind = controller_->GetButtonRect(kBtnRewind);
    ASSERT_FALSE(rewind.IsRectEmpty());
    EXPECT_EQ(0u, controller_->HitTestButton(rewind.CenterPoint()));
    EXPECT_EQ(UINT(kBtnNextMarker),
              controller_->HitTestButton(controller_->GetButtonRect(kBtnNextMarker).CenterPoint()));
}

TEST_F(ControllerTest, EndMessagesWithoutFailureAreIgnored)
{
    MakeTrackFromOneSecond();
    controller_->SetTransportState(kTransportPlaying);
    // Not running in the engine: no stop, and no error box for a non-negative code.
    SendMessageA(controller_->m_hWnd, kMsgPlayEnd, 5, 0);
    EXPECT_TRUE(controller_->IsPlaying());
    EXPECT_TRUE(host_.shown.empty());
    SendMessageA(controller_->m_hWnd, kMsgPlayEnd, static_cast<WPARAM>(0x83E80836), 0);
    ASSERT_EQ(1u, host_.shown.size());
    EXPECT_EQ(static_cast<HRESULT>(0x83E80836), host_.shown[0]);
}

TEST_F(ControllerTest, BothSkinsSizeTheFrame)
{
    const CSize compact = controller_->GetPanelSize();
    ASSERT_GT(compact.cx, 0);
    frame_->ToggleCompact();
    const CSize big = controller_->GetPanelSize();
    EXPECT_GT(big.cx, compact.cx);
    CRect client;
    controller_->GetClientRect(&client);
    EXPECT_EQ(big.cx, client.Width());
    EXPECT_EQ(big.cy, client.Height());
}

} // namespace
