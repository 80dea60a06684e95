// The track header's buttons under real presses: a click toggles, a press taken away before
// the release does nothing, Shift+click on mute sets every track; and a label name that fills
// its whole record draws without reading past it.
#include "ViewFixture.h"

#include "KsMultiTrack.h"
#include "LabelTable.h"
#include "ViewIds.h"

namespace {
LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}
} // namespace

TEST_F(ViewTest, HeaderButtonsActOnlyWhenReleasedWhereTheyWerePressed)
{
    ASSERT_NE(NewDocument(), nullptr);
    ComRef<IMtTrack> second;
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, 1, second.Out(), -1));
    view_->RecalcLayout();
    HWND header = ::GetDlgItem(view_->m_hWnd, kChildTrackHeader);
    ASSERT_NE(header, nullptr);
    RECT track = view_->GetTrackRect(0);
    int x = 93 + 4, y = track.top + 5 + 4; // inside the mute button

    ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    ::SendMessageA(header, WM_LBUTTONUP, 0, At(x, y));
    EXPECT_TRUE(doc_->GetTrackFlag(0, kMtFlagMute));

    ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    ::SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, At(x + 60, y + 20));
    ::SendMessageA(header, WM_LBUTTONUP, 0, At(x + 60, y + 20));
    EXPECT_TRUE(doc_->GetTrackFlag(0, kMtFlagMute)) << "released away from the button";

    ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, At(x, y));
    ::SendMessageA(header, WM_LBUTTONUP, MK_SHIFT, At(x, y));
    EXPECT_FALSE(doc_->GetTrackFlag(0, kMtFlagMute));
    EXPECT_FALSE(doc_->GetTrackFlag(1, kMtFlagMute));

    LabelRecord label{};
    doc_->GetLabels().GetTrackLabel(0, &label);
    memset(label.name, 'N', sizeof label.name); // no terminator at all
    doc_->GetLabels().SetTrackLabel(label);
    ::RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(::IsWindow(header));
}
