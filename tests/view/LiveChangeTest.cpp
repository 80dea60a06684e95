// The mixer's live volume changes through the amplitude scale (a gesture is one step with the
// group following; a cancelled one leaves the tracks and the history as they were), and the
// Ruler Units dialog's check of a typed frame rate.
#include "ViewFixture.h"

#include "CommandInterfaces.h"
#include "DrawIds.h"
#include "RulerUnitsDialog.h"

namespace {
float Volume(CNyMultiTrackDoc* doc, int track)
{
    float v = -1;
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(doc->GetTrack(track));
    set->GetValue(0, &v);
    return v;
}
void SetVolume(CNyMultiTrackDoc* doc, int track, float v)
{
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(doc->GetTrack(track));
    set->SetValue(0, v);
}
} // namespace

TEST_F(ViewTest, ALiveVolumeGestureIsOneStepAndACancelledOneLeavesNothing)
{
    ASSERT_NE(NewDocument(), nullptr);
    ComRef<IMtTrack> second;
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, 1, second.Out(), -1));
    doc_->SetTrackGroup(doc_->GetTrack(0), 1);
    doc_->SetTrackGroup(doc_->GetTrack(1), 1);
    doc_->EnableGrouping(TRUE);
    SetVolume(doc_, 1, 1.2f);
    CAmplitudeScalePane& scale = view_->GetAmplitudeScale();
    ICommandHistory* history = doc_->GetHistory();
    ComRef<IEditCommand> before;
    history->TakeLast(before.Out());
    ASSERT_FALSE(before) << "a new document has no step to undo";

    int lower = 0, upper = 0;
    scale.BeginVolumeChange(0, &lower, &upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 13000); // the member at 1.2 leaves room for +0.3
    scale.SetTrackVolume(0, 1.1f);
    scale.SetTrackVolume(0, 1.3f);
    EXPECT_FLOAT_EQ(Volume(doc_, 0), 1.3f);
    EXPECT_FLOAT_EQ(Volume(doc_, 1), 1.5f);
    scale.EndVolumeChange(0);
    EXPECT_TRUE(doc_->IsModified());
    ASSERT_EQ(S_OK, history->Undo());
    EXPECT_FLOAT_EQ(Volume(doc_, 0), 1.0f);
    EXPECT_FLOAT_EQ(Volume(doc_, 1), 1.2f);
    ComRef<IEditCommand> left;
    history->TakeLast(left.Out());
    EXPECT_FALSE(left) << "the whole gesture was one step";

    scale.BeginVolumeChange(0, &lower, &upper);
    scale.SetTrackVolume(0, 0.5f);
    scale.CancelLiveChange();
    scale.EndVolumeChange(0);
    EXPECT_FLOAT_EQ(Volume(doc_, 0), 1.0f);
    EXPECT_FLOAT_EQ(Volume(doc_, 1), 1.2f);
    ComRef<IEditCommand> cancelled;
    history->TakeLast(cancelled.Out());
    EXPECT_FALSE(cancelled) << "a cancelled gesture records no step";
}

TEST_F(ViewTest, RulerUnitsRefusesARateBelowTheLowestWithItsMessage)
{
    ASSERT_NE(NewDocument(), nullptr);
    CRulerUnitsDialog dialog(view_);
    dialog.m_timeIndex = 4;
    dialog.m_rateText = "30";
    ASSERT_TRUE(dialog.Create(IDD_RULER_UNITS, view_));
    ::SetWindowTextA(::GetDlgItem(dialog.m_hWnd, IDC_RULER_FPS), "0.04");
    EXPECT_FALSE(dialog.UpdateData(TRUE));
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.back(), "The entry must be a numeric value between 0.050 and 1000.");
    ::SetWindowTextA(::GetDlgItem(dialog.m_hWnd, IDC_RULER_FPS), "48");
    EXPECT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_STREQ(dialog.m_rateText.GetString(), "48");
    dialog.DestroyWindow();
}
