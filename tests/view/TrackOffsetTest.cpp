// A track's clip dragged in time by its clip bar with real messages: its marks move with it and
// one pushed before the start is deleted, all one "Track Offset" step; Escape changes nothing;
// a grouped drag that fails on one member leaves every member where it was and no step.
#include "ViewFixture.h"

#include "CommandInterfaces.h"
#include "KsMultiTrack.h"
#include "LabelTable.h"
#include "ViewIds.h"

namespace {
// A window whose one posted message takes the last track out of the engine's track set.
struct TrackThief {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_APP) {
            auto* doc = reinterpret_cast<CNyMultiTrackDoc*>(lParam);
            IMtTrackSet* set = doc->GetTrackSet();
            ComRef<IMtTrack> last;
            if (SUCCEEDED(set->GetTrack(LONG(wParam), last.Out())))
                set->DetachTrack(last.Get());
            stolen = last;
            return 0;
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    static ComRef<IMtTrack> stolen;
};
ComRef<IMtTrack> TrackThief::stolen;
} // namespace

class TrackOffsetTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(NewFilledTrack());
        doc_->SetViewOption(1014, 1);
        area_ = ::GetDlgItem(view_->m_hWnd, kChildTrackArea);
        left_ = view_->GetTrackWaveRect(-1).left;
    }
    void TearDown() override
    {
        TrackThief::stolen = ComRef<IMtTrack>();
        ViewTest::TearDown();
    }
    int AddCue(int track, int64_t at, int32_t kind = kLabelCue) { return AddMark(kind, track, at, at, "Cue"); }
    void SetOffset(int track, int64_t offset) { ASSERT_EQ(S_OK, doc_->GetTrack(track)->SetStartOffset(offset)); }
    int64_t Offset(int track) { return doc_->GetTrackExtent(track, -1); }
    // A press on a track's clip bar at pixel x of the wave area, the moves, then the release.
    void DragBar(int track, int x, std::initializer_list<int> moves, bool escape = false, HWND thief = nullptr)
    {
        RECT title = view_->GetTrackTitleRect(track);
        int y = title.top + 4, last = x;
        for (int m : moves) {
            ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left_ + m, y));
            last = m;
        }
        if (escape)
            ::PostMessageA(area_, WM_KEYDOWN, VK_ESCAPE, 0);
        if (thief)
            ::PostMessageA(thief, WM_APP, WPARAM(doc_->GetTrackCount() - 1), reinterpret_cast<LPARAM>(doc_));
        ::PostMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(left_ + last, y));
        ASSERT_EQ(view_->GetTrackArea().HitTest(left_ + x, y), -4) << "the press lands on the clip bar";
        ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left_ + x, y));
        Pump();
    }
    bool Live(int id)
    {
        LabelRecord r{};
        return doc_->GetLabels().FindById(id, &r) && r.id > 0;
    }
    int64_t Start(int id)
    {
        LabelRecord r{};
        doc_->GetLabels().FindById(id, &r);
        return r.start;
    }

    HWND area_ = nullptr;
    int left_ = 0;
};

TEST_F(TrackOffsetTest, MarksMoveWithTheClipAndOnePushedBeforeTheStartGoesAsOneStep)
{
    const int64_t spp = 64;
    SetOffset(0, 50 * spp);
    int early = AddCue(0, 10 * spp), late = AddCue(0, 100 * spp);
    int trackLabel = AddCue(0, 5 * spp, kLabelTrack);

    DragBar(0, 60, {59, 45, 30}); // 30 pixels to the left
    EXPECT_EQ(Offset(0), 20 * spp);
    EXPECT_FALSE(Live(early)) << "pushed before 0";
    EXPECT_EQ(Start(late), 70 * spp);
    EXPECT_EQ(Start(trackLabel), 5 * spp) << "a track label stays";
    ASSERT_EQ(UndoSteps(doc_->GetHistory()), 1);
    {
        ComRef<IEditCommand> step;
        ComRef<ICommandCursor> cursor;
        ASSERT_EQ(S_OK, doc_->GetHistory()->GetUndoCursor(cursor.Out()));
        ASSERT_EQ(S_OK, cursor->Next(step.Out()));
        char name[32] = {};
        step->GetName(name, sizeof name - 1);
        EXPECT_STREQ(name, "Track Offset");
    }

    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(Offset(0), 50 * spp);
    EXPECT_TRUE(Live(early));
    EXPECT_EQ(Start(early), 10 * spp);
    EXPECT_EQ(Start(late), 100 * spp);
}

TEST_F(TrackOffsetTest, EscapeAMoveUnderTwoPixelsAndTheStartAsLimitChangeNothing)
{
    SetOffset(0, 50 * 64);
    int cue = AddCue(0, 60 * 64);
    DragBar(0, 60, {80, 90}, true);
    EXPECT_EQ(Offset(0), 50 * 64) << "Escape";
    DragBar(0, 60, {61});
    EXPECT_EQ(Offset(0), 50 * 64) << "one pixel is no drag";
    EXPECT_EQ(Start(cue), 60 * 64);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);

    DragBar(0, 60, {58, 0});
    EXPECT_EQ(Offset(0), 0) << "the clip stops at the document's start";
}

TEST_F(TrackOffsetTest, AGroupedDragThatFailsOnOneMemberLeavesEveryMemberInPlace)
{
    for (int i = 1; i < 3; ++i) {
        doc_->AddTracks(1);
        FillTrack(i, std::vector<int32_t>(64 * 500, 2000), 16);
    }
    view_->SetFirstVisibleRow(0);
    for (int i = 0; i < 3; ++i)
        doc_->SetTrackGroup(doc_->GetTrack(i), 1);
    doc_->EnableGrouping(TRUE);
    const int steps = UndoSteps(doc_->GetHistory());

    DragBar(0, 20, {22, 40});
    EXPECT_EQ(Offset(0), 20 * 64);
    EXPECT_EQ(Offset(1), 20 * 64) << "the group moves together";
    EXPECT_EQ(Offset(2), 20 * 64);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), steps + 1);

    WNDCLASSA wc{};
    wc.lpfnWndProc = &TrackThief::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TrackOffsetThief";
    ::RegisterClassA(&wc);
    HWND thief = ::CreateWindowA("TrackOffsetThief", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(thief);
    // The last member leaves the document while the drag runs: its offset cannot be set.
    DragBar(0, 40, {42, 60}, false, thief);
    ::DestroyWindow(thief);
    ASSERT_TRUE(TrackThief::stolen);
    EXPECT_EQ(Offset(0), 20 * 64) << "moved back";
    EXPECT_EQ(Offset(1), 20 * 64);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), steps + 1) << "no step for the failed drag";
}
