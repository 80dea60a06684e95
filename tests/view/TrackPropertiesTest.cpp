// The track properties dialog driven through its controls: the volume spin's limits, a value
// out of range refused with the focus on it, and an offset change that moves the track's
// labels (deleting one pushed before 0) in one undo step, also after a failed first attempt.
#include "ViewFixture.h"

#include "CommandInterfaces.h"
#include "LabelRecord.h"
#include "TrackPropertiesDialog.h"
#include "ViewIds.h"

#include <commctrl.h>

namespace {
std::string Text(HWND dialog, int id)
{
    char text[256] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void SetText(HWND dialog, int id, const char* text)
{
    ::SetDlgItemTextA(dialog, id, text);
    // Leaving the edit settles the spin's position from the text.
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// A click on the upper (up) or lower (down) arrow of an up-down control.
void ClickSpin(HWND dialog, int id, bool up)
{
    HWND spin = ::GetDlgItem(dialog, id);
    RECT r;
    ::GetClientRect(spin, &r);
    LPARAM at = MAKELPARAM(r.right / 2, up ? 1 : r.bottom - 2);
    ::SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(spin, WM_LBUTTONUP, 0, at);
}

int AddLabel(CNyMultiTrackDoc* doc, int32_t kind, int64_t start, int64_t end)
{
    LabelRecord r{};
    r.kind = kind;
    r.trackId = doc->GetTrackId(0);
    r.start = start;
    r.end = end;
    strcpy(r.name, "L");
    doc->AddLabel(r);
    return r.id;
}
} // namespace

class TrackPropertiesTest : public ViewTest {
protected:
    void Open()
    {
        dialog_.SetView(view_);
        dialog_.SetTrack(0);
        ASSERT_TRUE(dialog_.CreateModeless(view_));
        hwnd_ = dialog_.m_hWnd;
    }
    void Ok() { ::SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

    CTrackPropertiesDialog dialog_;
    HWND hwnd_ = nullptr;
};

TEST_F(TrackPropertiesTest, VolumeSpinStopsAtItsLimitsAndAnOutOfRangeValueIsRefused)
{
    ASSERT_NE(NewDocument(), nullptr);
    Open();
    SetText(hwnd_, IDC_TP_VOLUME, "3.51");
    ClickSpin(hwnd_, IDC_TP_VOLUME_SPIN, true);
    EXPECT_EQ(Text(hwnd_, IDC_TP_VOLUME), "3.52");
    ClickSpin(hwnd_, IDC_TP_VOLUME_SPIN, true);
    EXPECT_EQ(Text(hwnd_, IDC_TP_VOLUME), "3.52") << "stops at +3.52 dB";
    SetText(hwnd_, IDC_TP_VOLUME, "-80");
    ClickSpin(hwnd_, IDC_TP_VOLUME_SPIN, false);
    EXPECT_EQ(Text(hwnd_, IDC_TP_VOLUME), "-80.00") << "stops at -80.00 dB";

    SetText(hwnd_, IDC_TP_VOLUME, "3.53");
    Ok();
    ASSERT_TRUE(::IsWindow(hwnd_)) << "the dialog stays open";
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "An invalid value was entered.");
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(hwnd_, IDC_TP_VOLUME));

    SetText(hwnd_, IDC_TP_VOLUME, "3.51");
    Ok();
    EXPECT_FALSE(::IsWindow(hwnd_)) << "3.51 dB is accepted";
}

TEST_F(TrackPropertiesTest, AnOffsetChangeMovesTheLabelsAndDeletesOnePushedBeforeZeroInOneStep)
{
    ASSERT_NE(NewDocument(), nullptr);
    std::vector<int32_t> frames(4000, 100);
    FillTrack(0, frames, 16);
    ASSERT_EQ(S_OK, doc_->GetTrack(0)->SetStartOffset(1000));
    int early = AddLabel(doc_, kLabelCue, 500, 500);
    int cue = AddLabel(doc_, kLabelCue, 1100, 1100);
    int section = AddLabel(doc_, kLabelSection, 1500, 1700);
    Open();

    // Seconds to samples: the same offset as a sample count.
    HWND unit = ::GetDlgItem(hwnd_, IDC_TP_OFFSET_UNIT);
    ::SendMessageA(unit, CB_SETCURSEL, 2, 0);
    ::SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDC_TP_OFFSET_UNIT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(unit));
    EXPECT_EQ(Text(hwnd_, IDC_TP_OFFSET), "1000");

    // A first attempt that fails (a video file that is not there) keeps the dialog open; the
    // second must not carry the first attempt's label moves.
    std::string video = dialog_.GetPropertyCommand()->newVideoPath;
    dialog_.GetPropertyCommand()->newVideoPath = scratch_.File("missing.avi");
    SetText(hwnd_, IDC_TP_OFFSET, "200");
    Ok();
    ASSERT_TRUE(::IsWindow(hwnd_)) << "a failed transaction keeps the dialog open";
    LabelRecord r{};
    EXPECT_TRUE(doc_->FindLabelById(early, &r) && r.id > 0) << "nothing applied by the failed attempt";
    dialog_.GetPropertyCommand()->newVideoPath = video;
    Ok();
    ASSERT_FALSE(::IsWindow(hwnd_));

    EXPECT_EQ(doc_->GetTrackExtent(0, -1), 200);
    EXPECT_FALSE(doc_->FindLabelById(early, &r) && r.id > 0) << "pushed before 0: deleted";
    ASSERT_TRUE(doc_->FindLabelById(cue, &r));
    EXPECT_EQ(r.start, 300);
    ASSERT_TRUE(doc_->FindLabelById(section, &r));
    EXPECT_EQ(r.start, 700);
    EXPECT_EQ(r.end, 900);

    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(doc_->GetTrackExtent(0, -1), 1000);
    ASSERT_TRUE(doc_->FindLabelById(early, &r) && r.id > 0) << "one undo step brings everything back";
    EXPECT_EQ(r.start, 500);
    ASSERT_TRUE(doc_->FindLabelById(cue, &r));
    EXPECT_EQ(r.start, 1100);
}
