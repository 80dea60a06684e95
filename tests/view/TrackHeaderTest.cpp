// The track header's buttons under real presses: a click toggles, a press taken away before
// the release does nothing, Shift+click on mute sets every track; and a label name that fills
// its whole record draws without reading past it.
#include "ViewFixture.h"

#include "KsMultiTrack.h"
#include "LabelTable.h"
#include "ViewDialogs.h"
#include "ViewIds.h"

#include <cstring>
#include <string>
#include <vector>

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

namespace {
// The program's Set Track Label dialog, answered with a fixed text.
class LabelAnswer {
public:
    explicit LabelAnswer(std::string answer)
    {
        ViewDialogs dialogs = GetViewDialogs();
        dialogs.trackLabel = [this, answer](CNyMultiTrackView*, std::string* label) {
            shown.push_back(*label);
            *label = answer;
            return true;
        };
        SetViewDialogs(dialogs);
    }
    ~LabelAnswer() { SetViewDialogs({}); }
    std::vector<std::string> shown;
};

std::string TrackName(CNyMultiTrackDoc* doc, int track)
{
    LabelRecord label{};
    doc->GetLabels().GetTrackLabel(track, &label);
    return std::string(label.name, strnlen(label.name, sizeof label.name));
}
} // namespace

// A double click on the name renames through one "Properties" step; the same text makes none,
// and a name longer than the record keeps its terminator.
TEST_F(ViewTest, ADoubleClickOnTheNameRenamesTheTrackAsOneUndoStep)
{
    ASSERT_NE(NewDocument(), nullptr);
    HWND header = ::GetDlgItem(view_->m_hWnd, kChildTrackHeader);
    RECT track = view_->GetTrackRect(0);
    const int x = 11 + 10, y = track.top + 25 + 4; // inside the name
    const std::string before = TrackName(doc_, 0);
    const auto doubleClick = [&] {
        ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        ::SendMessageA(header, WM_LBUTTONUP, 0, At(x, y));
        ::SendMessageA(header, WM_LBUTTONDBLCLK, MK_LBUTTON, At(x, y));
        ::SendMessageA(header, WM_LBUTTONUP, 0, At(x, y));
    };
    const int steps = UndoSteps(doc_->GetHistory());
    {
        LabelAnswer answer("Lead vocal");
        doubleClick();
        ASSERT_EQ(answer.shown.size(), 1u);
        EXPECT_EQ(answer.shown[0], before);
    }
    EXPECT_EQ(TrackName(doc_, 0), "Lead vocal");
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), steps + 1);
    EXPECT_TRUE(doc_->IsModified());
    {
        LabelAnswer same("Lead vocal");
        doubleClick();
    }
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), steps + 1) << "the same text made a step";
    {
        LabelAnswer longName(std::string(300, 'x'));
        doubleClick();
    }
    EXPECT_EQ(TrackName(doc_, 0), std::string(255, 'x'));
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(TrackName(doc_, 0), before);
}

// Split and mix under real clicks: split makes one track per channel, mix folds them back;
// a track without sound offers neither.
TEST_F(ViewTest, SplitAndMixButtonsRunTheDocumentsSplitAndMixdown)
{
    ASSERT_NE(NewDocument(16), nullptr);
    HWND header = ::GetDlgItem(view_->m_hWnd, kChildTrackHeader);
    const auto click = [&](int track, int cellX) {
        RECT r = view_->GetTrackRect(track);
        const int x = cellX + 4, y = r.top + 42 + 4;
        ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        ::SendMessageA(header, WM_LBUTTONUP, 0, At(x, y));
    };
    ComRef<IMtTrack> stereo;
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, 2, stereo.Out(), -1));
    view_->RecalcLayout();
    const int count = doc_->GetTrackCount();
    const int track = doc_->GetTrackChannels(0) == 2 ? 0 : 1;
    ASSERT_EQ(doc_->GetTrackChannels(track), 2);
    click(track, 34);
    EXPECT_EQ(doc_->GetTrackCount(), count) << "a track without sound was split";

    FillTrack(track, std::vector<int32_t>(4410, 1000), 16, 2);
    view_->RecalcLayout();
    click(track, 34);
    ASSERT_EQ(doc_->GetTrackCount(), count + 1);
    EXPECT_EQ(doc_->GetTrackChannels(track), 1);
    EXPECT_EQ(doc_->GetTrackChannels(track + 1), 1);

    const int steps = UndoSteps(doc_->GetHistory());
    view_->RecalcLayout();
    click(track + 1, 7);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), steps + 1) << "the mix made no step";
}
