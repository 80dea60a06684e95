// Selecting with the mouse in the track area, driven by real messages to the pane: a drag, a
// Shift+click, grabbing an edge, and a click that never moves.
#include "ViewFixture.h"

#include "ViewIds.h"

namespace {
LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}
} // namespace

class SelectionMouseTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(NewFilledTrack());
        area_ = ::GetDlgItem(view_->m_hWnd, kChildTrackArea);
        RECT row = view_->GetChannelRect(0, 0);
        y_ = (row.top + row.bottom) / 2;
        left_ = row.left;
    }
    // A press at x, the moves posted before it (the drag loop pumps them), then the release.
    void Drag(int x, std::initializer_list<int> moves, UINT flags = 0)
    {
        int last = x;
        for (int m : moves) {
            ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON | flags, At(m, y_));
            last = m;
        }
        ::PostMessageA(area_, WM_LBUTTONUP, flags, At(last, y_));
        ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON | flags, At(x, y_));
        Pump();
    }
    void Selection(int64_t* s, int64_t* e) { doc_->GetSelection()->GetOrderedSelection(s, e); }
    int64_t Sample(int x) { return view_->XToSample(x); }

    HWND area_ = nullptr;
    int y_ = 0, left_ = 0;
};

TEST_F(SelectionMouseTest, DragShiftClickAndEdgeGrabShapeTheSelection)
{
    int64_t s = 0, e = 0;
    Drag(left_ + 100, {left_ + 120, left_ + 200});
    Selection(&s, &e);
    EXPECT_EQ(s, Sample(left_ + 100));
    EXPECT_EQ(e, Sample(left_ + 200));
    EXPECT_TRUE(doc_->GetSelection()->IsRowSelected(0));

    // Shift+click past the end moves the end there; the start stays.
    Drag(left_ + 300, {}, MK_SHIFT);
    Selection(&s, &e);
    EXPECT_EQ(s, Sample(left_ + 100));
    EXPECT_EQ(e, Sample(left_ + 300));

    // The start edge grabbed and dragged right of the end: the end becomes the anchor.
    Drag(left_ + 100, {left_ + 150, left_ + 350});
    Selection(&s, &e);
    EXPECT_EQ(s, Sample(left_ + 300));
    EXPECT_EQ(e, Sample(left_ + 350));

    // A click that never moves two pixels leaves a caret at the press.
    Drag(left_ + 250, {left_ + 251});
    Selection(&s, &e);
    EXPECT_EQ(s, Sample(left_ + 250));
    EXPECT_EQ(e, s);
}

TEST_F(SelectionMouseTest, EscapeEndsTheDragWhereItStands)
{
    ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, At(left_ + 180, y_));
    ::PostMessageA(area_, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, At(left_ + 400, y_));
    ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, At(left_ + 100, y_));
    Pump();
    int64_t s = 0, e = 0;
    Selection(&s, &e);
    EXPECT_EQ(s, Sample(left_ + 100));
    EXPECT_EQ(e, Sample(left_ + 180));
    EXPECT_EQ(::GetCapture(), nullptr);
}
